// The scripted double must catch what a test did not expect; otherwise every core test
// built on it could pass while the program shows the wrong message.
#include "support/scripted_ports.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "engine/base/error_codes.h"

namespace velmora::test {
namespace {

using ports::MessageAnswer;
using ports::MessageButtons;
using ports::MessageIcon;

TEST(ScriptedPortsTest, AnswersQueuedMessagesInOrderAndRecordsThem) {
    ScriptedPorts scripted;
    ports::Ports ports = scripted.ports();
    scripted.expectMessage("Änderungen speichern ?", MessageButtons::YesNoCancel, MessageIcon::None,
                           MessageAnswer::No);
    scripted.expectMessage(MessageAnswer::Ok);

    EXPECT_EQ(ports.messages.showMessage("Änderungen speichern ?", MessageButtons::YesNoCancel,
                                         MessageIcon::None),
              MessageAnswer::No);
    EXPECT_EQ(ports.messages.showMessage("Open database failed", MessageButtons::Ok,
                                         MessageIcon::Critical),
              MessageAnswer::Ok);

    ASSERT_EQ(scripted.messages().size(), 2u);
    EXPECT_EQ(scripted.messages()[0].answer, MessageAnswer::No);
    EXPECT_EQ(scripted.messages()[1].text, "Open database failed");
    EXPECT_EQ(scripted.messages()[1].buttons, MessageButtons::Ok);
    EXPECT_EQ(scripted.messages()[1].icon, MessageIcon::Critical);
    EXPECT_EQ(scripted.queuedMessages(), 0u);
}

TEST(ScriptedPortsTest, UnexpectedMessageFailsAndIsDismissed) {
    ScriptedPorts scripted;
    MessageAnswer answer = MessageAnswer::Yes;
    EXPECT_NONFATAL_FAILURE(
        answer = scripted.showMessage("You have changed something... Save ?",
                                      MessageButtons::YesNoCancel, MessageIcon::None),
        "unexpected message \"You have changed something... Save ?\"");
    // Dismissing is the harmless answer: the command is abandoned, nothing is saved.
    EXPECT_EQ(answer, MessageAnswer::Cancel);
    ASSERT_EQ(scripted.messages().size(), 1u);
    EXPECT_EQ(scripted.messages()[0].answer, MessageAnswer::Cancel);
}

TEST(ScriptedPortsTest, MismatchesAgainstTheQueuedMessageFail) {
    ScriptedPorts scripted;
    scripted.expectMessage("line one\r\nline two", MessageButtons::Ok, MessageIcon::None,
                           MessageAnswer::Ok);
    EXPECT_NONFATAL_FAILURE(
        scripted.showMessage("line one\nline two", MessageButtons::Ok, MessageIcon::None),
        "expected \"line one\\r\\nline two\"");

    scripted.expectMessage(
        {std::nullopt, MessageButtons::OkCancel, std::nullopt, MessageAnswer::Cancel});
    EXPECT_NONFATAL_FAILURE(
        scripted.showMessage("x", MessageButtons::YesNoCancel, MessageIcon::None),
        "expected OK+Cancel");

    scripted.expectMessage({std::nullopt, std::nullopt, MessageIcon::Critical, MessageAnswer::Ok});
    EXPECT_NONFATAL_FAILURE(scripted.showMessage("x", MessageButtons::Ok, MessageIcon::Information),
                            "expected critical");
}

TEST(ScriptedPortsTest, AnswerThatIsNotAButtonFails) {
    ScriptedPorts scripted;
    scripted.expectMessage(MessageAnswer::Yes);
    MessageAnswer answer = MessageAnswer::Yes;
    EXPECT_NONFATAL_FAILURE(
        answer = scripted.showMessage("No Database found", MessageButtons::Ok, MessageIcon::None),
        "is not a button");
    EXPECT_EQ(answer, MessageAnswer::Ok);
}

TEST(ScriptedPortsTest, UnusedQueuedAnswersFailOnVerifyAndDestruction) {
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedPorts scripted;
            scripted.expectMessage("Open database failed", MessageButtons::Ok,
                                   MessageIcon::Critical, MessageAnswer::Ok);
        },
        "expected message never shown: \"Open database failed\"");
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedPorts scripted;
            scripted.expectFileDialog("/data/WinSTB.mdb");
            scripted.verify();
        },
        "expected file dialog never shown");
}

TEST(ScriptedPortsTest, FileDialogAnswersAndRecordsRequests) {
    ScriptedPorts scripted;
    const ports::FileOpenRequest request{"Enter the complete path", "Database Files (*.mdb)",
                                         "*.MDB", "/data", "/data/WinSTB.mdb"};
    scripted.expectFileDialog("/data/Other.MDB");
    scripted.expectFileDialog(std::nullopt);
    EXPECT_EQ(scripted.chooseFileToOpen(request), std::optional<std::string>("/data/Other.MDB"));
    EXPECT_EQ(scripted.chooseFileToOpen(request), std::nullopt);

    std::optional<std::string> unexpected = "not cancelled";
    EXPECT_NONFATAL_FAILURE(unexpected = scripted.chooseFileToOpen(request),
                            "unexpected file dialog \"Enter the complete path\"");
    EXPECT_EQ(unexpected, std::nullopt);
    ASSERT_EQ(scripted.fileDialogs().size(), 3u);
    EXPECT_EQ(scripted.fileDialogs()[0], request);
}

TEST(ScriptedPortsTest, ServicesKeepTheirState) {
    ScriptedPorts scripted;
    ports::Ports ports = scripted.ports();

    EXPECT_FALSE(ports.clipboard.hasText());
    ports.clipboard.setText("");
    EXPECT_TRUE(ports.clipboard.hasText());  // empty text is still text
    ports.clipboard.setText("a\tb\rc\td");
    EXPECT_EQ(ports.clipboard.text(), "a\tb\rc\td");
    ports.clipboard.clear();
    EXPECT_FALSE(ports.clipboard.hasText());
    EXPECT_EQ(ports.clipboard.text(), "");

    {
        ports::WaitCursor busy(ports.cursor);
        EXPECT_TRUE(scripted.isWaitCursor());
    }
    EXPECT_FALSE(scripted.isWaitCursor());
    EXPECT_EQ(scripted.cursorChanges(), (std::vector<bool>{true, false}));

    int drained = 0;
    scripted.setPendingEventsHandler([&drained] { ++drained; });
    ports.events.runPendingEvents();
    ports.events.runPendingEvents();
    EXPECT_EQ(scripted.pendingEventRuns(), 2);
    EXPECT_EQ(drained, 2);

    ports.program.endProgram(0);
    EXPECT_EQ(scripted.endedWithCode(), std::optional<int>(0));
    EXPECT_NONFATAL_FAILURE(ports.program.endProgram(1), "program ended a second time");
    EXPECT_EQ(scripted.endedWithCode(), std::optional<int>(0));
}

TEST(ScriptedPortsTest, OwnedWindowsMustBeKnown) {
    ScriptedPorts scripted;
    scripted.declareWindow("Form1");
    EXPECT_EQ(scripted.setOwnerWindow("Form_DropFav", "Form1").code(), engine::err::kItemNotFound);
    scripted.declareWindow("Form_DropFav");
    EXPECT_EQ(scripted.setOwnerWindow("Form1", "Form1").code(), engine::err::kInvalidArgument);
    EXPECT_TRUE(scripted.setOwnerWindow("Form_DropFav", "Form1").isOk());
    EXPECT_EQ(scripted.ownerOf("Form_DropFav"), std::optional<std::string>("Form1"));
    EXPECT_EQ(scripted.ownerOf("Form1"), std::nullopt);
}

TEST(ScriptedPortsTest, DefaultTextMeasureCountsCharactersAndLines) {
    const ports::FontChoice font{"MS Sans Serif", 10, false};
    struct Case {
        std::string text;
        ports::TextExtent extent;
    };
    const std::vector<Case> cases = {
        {"", {0, 240}},
        {"Sender", {600, 240}},
        {"Löschen", {700, 240}},     // an umlaut is one character, not two bytes
        {"ab\r\nabcd", {400, 480}},  // CR LF is one break; the widest line counts
        {"a\nb\rc", {100, 720}},
    };
    ScriptedPorts scripted;
    for (const Case& c : cases)
        EXPECT_EQ(scripted.measureText(c.text, font), c.extent) << printable(c.text);
    EXPECT_EQ(scripted.measuredTexts().size(), cases.size());

    scripted.setTextMeasure([](std::string_view, const ports::FontChoice&) {
        return ports::TextExtent{1, 2};
    });
    EXPECT_EQ(scripted.measureText("x", font), (ports::TextExtent{1, 2}));
}

}  // namespace
}  // namespace velmora::test
