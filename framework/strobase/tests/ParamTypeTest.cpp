#include <TParamType.h>

#include <QColor>
#include <QJsonArray>
#include <QPointF>

#include <gtest/gtest.h>

struct ConvertCase {
    const char* name;
    QVariant stored;
    TParamType type;
    QVariant expected;
};

class ConvertTest : public ::testing::TestWithParam<ConvertCase> {};

TEST_P(ConvertTest, ReadsStoredValueAsType)
{
    const ConvertCase& c = GetParam();
    const QVariant got = TParam::convert(c.stored, c.type);
    EXPECT_EQ(got.userType(), c.expected.userType()) << c.name;
    EXPECT_EQ(got, c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConvertTest,
    ::testing::Values(
        ConvertCase{"double to float", 0.25, TParamType::Float, 0.25f},
        ConvertCase{"numeric text to float", QStringLiteral("0.75"), TParamType::Float, 0.75f},
        ConvertCase{"junk text to float", QStringLiteral("abc"), TParamType::Float, 0.0f},
        ConvertCase{"missing float", QVariant(), TParamType::Float, 0.0f},
        ConvertCase{"list to float", QVariantList{1, 2}, TParamType::Float, 0.0f},
        ConvertCase{"double to int truncates", 2.9, TParamType::Int, 2},
        ConvertCase{"bool to int", true, TParamType::Int, 1},
        ConvertCase{"missing int", QVariant(), TParamType::Int, 0},
        ConvertCase{"text true to bool", QStringLiteral("true"), TParamType::Bool, true},
        ConvertCase{"number to bool", 1.0, TParamType::Bool, true},
        ConvertCase{"missing bool", QVariant(), TParamType::Bool, false},
        ConvertCase{"number to string", 3, TParamType::String, QStringLiteral("3")},
        ConvertCase{"list to string", QVariantList{1}, TParamType::String, QString()},
        ConvertCase{"json pair to point", QVariantList{0.25, 0.75}, TParamType::Point, QPointF(0.25, 0.75)},
        ConvertCase{"text pair to point", QStringLiteral("1,0"), TParamType::Point, QPointF(1, 0)},
        ConvertCase{"three numbers to point", QVariantList{1, 2, 3}, TParamType::Point, QPointF()},
        ConvertCase{"number to point", 5, TParamType::Point, QPointF()},
        ConvertCase{"css rgba to colour", QStringLiteral("#ff000080"), TParamType::Colour, QColor(255, 0, 0, 128)},
        ConvertCase{"css rgb is opaque", QStringLiteral("#00ff00"), TParamType::Colour, QColor(0, 255, 0, 255)},
        ConvertCase{"bad colour text", QStringLiteral("#12"), TParamType::Colour, QColor()},
        ConvertCase{"number to colour", 7, TParamType::Colour, QColor()}),
    [](const ::testing::TestParamInfo<ConvertCase>& info) {
        return QString::fromLatin1(info.param.name).replace(QLatin1Char(' '), QLatin1Char('_')).toStdString();
    });

TEST(ParamType, FuzzyCompareIgnoresRoundingButNotSliderSteps)
{
    EXPECT_FALSE(TParam::isDifferent(0.5f, 0.5f + 1e-8f));
    EXPECT_TRUE(TParam::isDifferent(0.5f, 0.51f));
    EXPECT_FALSE(TParam::isDifferent(QPointF(0.5, 0.5), QPointF(0.5 + 1e-9, 0.5)));
    EXPECT_TRUE(TParam::isDifferent(QPointF(0.5, 0.5), QPointF(0.5, 0.49)));
}

TEST(ParamType, ColourTextIsCssOrderLowerCase)
{
    EXPECT_EQ(TParam::colourToText(QColor(0x12, 0xab, 0xcd, 0x80)), QStringLiteral("#12abcd80"));
    EXPECT_EQ(TParam::colourFromText(QStringLiteral("#12ABCD80")), QColor(0x12, 0xab, 0xcd, 0x80));
}

TEST(ParamType, JsonEncodingOfEveryType)
{
    EXPECT_EQ(TParam::toJson(0.1f), QJsonValue(0.1)); // shortest decimal, not 0.100000001
    EXPECT_EQ(TParam::toJson(1), QJsonValue(1));
    EXPECT_EQ(TParam::toJson(false), QJsonValue(false));
    EXPECT_EQ(TParam::toJson(QStringLiteral("x")), QJsonValue(QStringLiteral("x")));
    EXPECT_EQ(TParam::toJson(QPointF(0.5, 1)), QJsonValue(QJsonArray{0.5, 1.0}));
    EXPECT_EQ(TParam::toJson(QColor(255, 255, 255, 255)), QJsonValue(QStringLiteral("#ffffffff")));
    EXPECT_TRUE(TParam::toJson(QVariant()).isNull());
    EXPECT_TRUE(TParam::toJson(QColor()).isNull());
}

TEST(ParamType, TextRoundTripAndRejects)
{
    struct Case {
        const char* text;
        TParamType type;
        bool ok;
        QVariant value;
    } cases[] = {
        {"0.5", TParamType::Float, true, 0.5f},
        {"x", TParamType::Float, false, {}},
        {"2", TParamType::Int, true, 2},
        {"2.5", TParamType::Int, false, {}},
        {"true", TParamType::Bool, true, true},
        {"yes", TParamType::Bool, false, {}},
        {"0.5,0.25", TParamType::Point, true, QPointF(0.5, 0.25)},
        {"0.5", TParamType::Point, false, {}},
        {"#000000ff", TParamType::Colour, true, QColor(0, 0, 0, 255)},
        {"black", TParamType::Colour, false, {}},
    };
    for (const Case& c : cases) {
        QVariant v;
        EXPECT_EQ(TParam::fromText(QLatin1String(c.text), c.type, &v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
            EXPECT_EQ(TParam::toText(v), QLatin1String(c.text)) << c.text;
        }
    }
}
