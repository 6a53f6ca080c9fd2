// Waiting for the main window's first paint, which loads the lists after the window is
// shown (start-up ends before it).
#pragma once

#include <QTest>

#include <gtest/gtest.h>

#include "core/app/app.h"

namespace velmora::test {

// Runs the event loop until the first paint has loaded the lists, for three seconds at most.
inline ::testing::AssertionResult waitForFirstPaint(core::app::App& app) {
    for (int i = 0; i < 300 && app.state().FirstPaintPending; ++i)
        QTest::qWait(10);
    if (app.state().FirstPaintPending)
        return ::testing::AssertionFailure() << "the channel list was never painted";
    return ::testing::AssertionSuccess();
}

}  // namespace velmora::test
