#include "core/form/form.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace velmora::core::form {
namespace {

struct RecordingListener : FormListener {
    void controlChanged(const Control& c) override { changed.push_back(c.name); }
    void formChanged() override { ++formChanges; }
    std::vector<std::string> changed;
    int formChanges = 0;
};

TEST(FormTest, ChangesReachTheListenerWithTheNewState) {
    Form f("Form1");
    Control button;
    button.name = "Command7";
    button.enabled = false;
    f.addControl(button);
    RecordingListener listener;
    f.setListener(&listener);

    f.setEnabled("Command7", true);
    f.setCaption("Velmora Ver 1.27");

    EXPECT_TRUE(f.control("Command7").enabled);
    EXPECT_EQ(listener.changed, std::vector<std::string>{"Command7"});
    EXPECT_EQ(listener.formChanges, 1);
    EXPECT_EQ(f.caption(), "Velmora Ver 1.27");
}

TEST(FormTest, AnUnknownControlNameIsAProgrammingError) {
    Form f("Form1");
    EXPECT_FALSE(f.hasControl("Command99"));
    EXPECT_THROW(f.setVisible("Command99", true), std::logic_error);
}

}  // namespace
}  // namespace velmora::core::form
