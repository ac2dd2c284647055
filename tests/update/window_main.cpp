// main() of the update window's tests: a headless QApplication, then the cases.

#include <cstdlib>

#include <gtest/gtest.h>

#include <QApplication>

#include "app/fonts.h"
#include "platform/ui.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    app::install_application_font();
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    platform::end_process(result);
}
