#include <QCoreApplication>
#include <QLoggingCategory>

#include <gtest/gtest.h>

// Every test binary runs inside a Qt application object, as the program does.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
