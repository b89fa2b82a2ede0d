#include <TUid.h>

#include <QColor>
#include <QPointF>

#include <gtest/gtest.h>

TEST(Uid, SameValuesSameIdentityAnyChangeAnother)
{
    const QStringList keys{"a", "b", "c"};
    const QVariantMap values{{"a", 0.5f}, {"b", QPointF(1, 2)}, {"c", QColor(1, 2, 3)}, {"ignored", 1}};
    const quint32 base = TUid::hash(keys, values, 7);
    EXPECT_EQ(base, TUid::hash(keys, values, 7));
    QVariantMap changed = values;
    changed.insert("ignored", 2);
    EXPECT_EQ(base, TUid::hash(keys, changed, 7)) << "keys not listed do not count";
    for (const auto& change : {std::make_pair("a", QVariant(0.51f)), std::make_pair("b", QVariant(QPointF(1, 2.5))),
                               std::make_pair("c", QVariant(QColor(1, 2, 4)))}) {
        QVariantMap v = values;
        v.insert(change.first, change.second);
        EXPECT_NE(base, TUid::hash(keys, v, 7)) << change.first;
    }
    EXPECT_NE(base, TUid::hash(keys, values, 8));
    EXPECT_NE(TUid::hash(QSize(2048, 1536), 1), TUid::hash(QSize(1536, 2048), 1));
    EXPECT_NE(TUid::hash(2048, 5u), TUid::hash(2048, 6u));
    EXPECT_NE(TUid::hash(1.0f), TUid::hash(2.0f));
    // A float and an int of the same number are different values.
    EXPECT_NE(TUid::hash({"a"}, {{"a", 1}}, 0), TUid::hash({"a"}, {{"a", 1.0f}}, 0));
}
