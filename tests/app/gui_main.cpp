// main() of the GUI tests: a headless QApplication, then the test cases.

#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

#include <QApplication>

#include "app/fonts.h"
#include "platform/ui.h"
#include "tests/app/gui_support.h"

int main(int argc, char** argv) {
    gui_test::prepare_headless_environment();
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    app::install_application_font();
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    // As the program does: leave without tearing down the browser component under its threads.
    platform::end_process(result);
}
