// main() of the GUI tests: a headless QApplication, then the test cases.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

#include <QApplication>

#include "app/fonts.h"
#include "platform/ui.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu", 0);
    if (geteuid() == 0) setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);  // Chromium refuses root otherwise
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    app::install_application_font();
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    // As the program does: leave without tearing down the browser component under its threads.
    platform::end_process(result);
}
