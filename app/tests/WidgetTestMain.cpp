#include <QApplication>
#include <QLoggingCategory>

#include <gtest/gtest.h>

// The program's own classes show message boxes: a widget application.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
