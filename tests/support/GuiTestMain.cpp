// main() of the test executables that need a display: widgets or a GL context.
#include <QApplication>
#include <QSurfaceFormat>

#include <gtest/gtest.h>

#include <cstring>

int main(int argc, char **argv)
{
    // Listing the tests (at discovery) must work without a display; look
    // before InitGoogleTest, which takes its own flags out of argv.
    bool listing = false;
    for (int i = 1; i < argc; ++i)
        listing = listing || !std::strcmp(argv[i], "--gtest_list_tests");
    testing::InitGoogleTest(&argc, argv);
    if (listing)
        return RUN_ALL_TESTS();

    // Fixed-function GL needs a compatibility context: ask for 2.1 with no profile.
    QSurfaceFormat format;
    format.setVersion(2, 1);
    format.setDepthBufferSize(24);
    format.setSamples(0);
    format.setSwapInterval(0);
    QSurfaceFormat::setDefaultFormat(format);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
