// The main of every test program: an offscreen QApplication on the main thread,
// so widget tests and main-thread call queues work without a display.
#include <cstdlib>

#include <QApplication>
#include <gtest/gtest.h>

#include "platform/rtl/Thread.h"

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    rtl::MainThread::Init();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
