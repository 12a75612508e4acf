// The main of every test program: an offscreen QApplication on the main thread,
// so widget tests and main-thread call queues work without a display. Started with a
// child switch, the program runs that child routine instead of its tests.
#include <cstdlib>

#include <QApplication>
#include <gtest/gtest.h>

#include "platform/rtl/Thread.h"
#include "support/ChildRoutine.h"

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    rtl::MainThread::Init();
    int childExit = 0;
    if (testsupport::RunChildRoutine(argc, argv, childExit)) return childExit;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
