// main() of the GUI test binaries: the same set-up as the program's main, then the tests.
#include <pageview/pageview.h>

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests (as the build does to discover them) needs no window system.
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();

    pageview::registerUrlScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
