#include <QCoreApplication>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <Strobase.h>

#include <gtest/gtest.h>

// Test binaries that need OpenGL: a GUI application with the program's
// OpenGL 3.3 core defaults (run under xvfb-run where there is no display).
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (as ctest does to find them) needs no display.
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    Strobase::setOpenGLDefaults();
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
