// The window tests run on Qt's offscreen platform: real widgets, nothing on
// the screen. The pictures they save are listed at the end.
#include <gtest/gtest.h>

#include <QApplication>
#include <clocale>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    std::setlocale(LC_NUMERIC, "C");
    ::testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    std::printf("pictures of the windows: %s/*.png\n", QI_PICTURES);
    return result;
}
