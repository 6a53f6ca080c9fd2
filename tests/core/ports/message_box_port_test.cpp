// Which answers each button set can give, and the wait-pointer guard.
#include "core/ports/message_box_port.h"
#include "core/ports/cursor_port.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace velmora::core::ports {
namespace {

TEST(MessageBoxPortTest, AnswersOfferedByEachButtonSet) {
    struct Case {
        MessageButtons buttons;
        std::vector<MessageAnswer> offered;
        MessageAnswer dismissed;
    };
    const std::vector<Case> cases = {
        {MessageButtons::Ok, {MessageAnswer::Ok}, MessageAnswer::Ok},
        {MessageButtons::OkCancel,
         {MessageAnswer::Ok, MessageAnswer::Cancel},
         MessageAnswer::Cancel},
        {MessageButtons::YesNoCancel,
         {MessageAnswer::Yes, MessageAnswer::No, MessageAnswer::Cancel},
         MessageAnswer::Cancel},
    };
    const MessageAnswer all[] = {MessageAnswer::Ok, MessageAnswer::Cancel, MessageAnswer::Yes,
                                 MessageAnswer::No};
    for (const Case& c : cases) {
        for (const MessageAnswer answer : all) {
            const bool expected =
                std::find(c.offered.begin(), c.offered.end(), answer) != c.offered.end();
            EXPECT_EQ(isAnswerOffered(c.buttons, answer), expected)
                << toString(c.buttons) << " / " << toString(answer);
        }
        EXPECT_EQ(dismissAnswer(c.buttons), c.dismissed) << toString(c.buttons);
        EXPECT_TRUE(isAnswerOffered(c.buttons, dismissAnswer(c.buttons)));
    }
}

class RecordingCursor : public CursorPort {
public:
    void setWaitCursor(bool on) override { changes.push_back(on); }
    std::vector<bool> changes;
};

TEST(WaitCursorTest, RestoresOnEveryWayOut) {
    RecordingCursor cursor;
    {
        WaitCursor busy(cursor);
        EXPECT_EQ(cursor.changes, std::vector<bool>{true});
    }
    EXPECT_EQ(cursor.changes, (std::vector<bool>{true, false}));

    cursor.changes.clear();
    EXPECT_THROW(
        {
            WaitCursor busy(cursor);
            throw std::runtime_error("command abandoned");
        },
        std::runtime_error);
    EXPECT_EQ(cursor.changes, (std::vector<bool>{true, false}));
}

TEST(WaitCursorTest, ReleaseAndMoveRestoreExactlyOnce) {
    RecordingCursor cursor;
    {
        WaitCursor busy(cursor);
        busy.release();
        busy.release();
    }
    EXPECT_EQ(cursor.changes, (std::vector<bool>{true, false}));

    cursor.changes.clear();
    {
        WaitCursor first(cursor);
        WaitCursor second(std::move(first));
        EXPECT_EQ(cursor.changes, std::vector<bool>{true});
    }
    EXPECT_EQ(cursor.changes, (std::vector<bool>{true, false}));
}

}  // namespace
}  // namespace velmora::core::ports
