#include "core/form/dispatcher.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace velmora::core::form {
namespace {

Event make(const std::string& control, EventKind kind) {
    Event e;
    e.form = "Form1";
    e.control = control;
    e.kind = kind;
    return e;
}

class DispatcherTest : public ::testing::Test {
protected:
    void SetUp() override {
        d.setAfterCommand([this] { log.push_back("commit"); });
        d.setAbandonHook([this](std::exception_ptr e) {
            try {
                std::rethrow_exception(e);
            } catch (const std::exception& ex) {
                log.push_back(std::string("abandon:") + ex.what());
            }
        });
    }
    Dispatcher d;
    std::vector<std::string> log;
};

TEST_F(DispatcherTest, QueuedEventsRunAfterTheHandlerAndBeforeTheCommit) {
    d.on("Form1", "Text1", EventKind::LostFocus, [&](const Event&) {
         log.push_back("lost");
     }).keep();
    d.on("Form1", "Grid", EventKind::GotFocus, [&](const Event&) { log.push_back("got"); }).keep();
    d.on("Form1", "Text1", EventKind::KeyDown, [&](const Event&) {
         d.setFocus("Form1", "Grid");
         log.push_back("handler end");
     }).keep();
    d.setFocus("Form1", "Text1");
    d.runPending();
    log.clear();
    d.dispatch(make("Text1", EventKind::KeyDown));
    EXPECT_EQ(log, (std::vector<std::string>{"handler end", "lost", "got", "commit"}));
}

TEST_F(DispatcherTest, RunPendingLetsAHandlerSeeTheFocusChangeFirst) {
    d.on("Form1", "Grid", EventKind::GotFocus, [&](const Event&) { log.push_back("got"); }).keep();
    d.on("Form1", "Text1", EventKind::KeyDown, [&](const Event&) {
         d.setFocus("Form1", "Grid");
         d.runPending();
         log.push_back("after pending");
     }).keep();
    d.dispatch(make("Text1", EventKind::KeyDown));
    EXPECT_EQ(log, (std::vector<std::string>{"got", "after pending", "commit"}));
}

TEST_F(DispatcherTest, AFailureAbandonsTheCommandDropsItsQueueAndSkipsTheCommit) {
    d.on("Form1", "Grid", EventKind::GotFocus, [&](const Event&) { log.push_back("got"); }).keep();
    d.on("Form1", "Command1", EventKind::Click, [&](const Event&) {
         d.setFocus("Form1", "Grid");
         throw std::runtime_error("Error 3078");
     }).keep();
    d.dispatch(make("Command1", EventKind::Click));
    EXPECT_EQ(log, (std::vector<std::string>{"abandon:Error 3078"}));
    // The next event runs normally.
    log.clear();
    d.dispatch(make("Nothing", EventKind::Click));
    EXPECT_EQ(log, (std::vector<std::string>{"commit"}));
    EXPECT_FALSE(d.isDispatching());
}

TEST_F(DispatcherTest, NestedDispatchRunsAtOnceWithoutASecondCommit) {
    d.on("Form1", "Inner", EventKind::Click, [&](const Event&) { log.push_back("inner"); }).keep();
    d.on("Form1", "Outer", EventKind::Click, [&](const Event&) {
         d.dispatch(make("Inner", EventKind::Click));  // e.g. a modal window's button
         log.push_back("outer");
     }).keep();
    d.dispatch(make("Outer", EventKind::Click));
    EXPECT_EQ(log, (std::vector<std::string>{"inner", "outer", "commit"}));
}

TEST_F(DispatcherTest, FocusOnTheSameControlRaisesNothing) {
    d.on("Form1", "Grid", EventKind::GotFocus, [&](const Event&) { log.push_back("got"); }).keep();
    d.setFocus("Form1", "Grid");
    d.runPending();
    d.setFocus("Form1", "Grid");
    d.runPending();
    EXPECT_EQ(log, (std::vector<std::string>{"got"}));
}

}  // namespace
}  // namespace velmora::core::form
