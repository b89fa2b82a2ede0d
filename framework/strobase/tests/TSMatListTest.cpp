#include <TSMatList.h>

#include <QStringList>

#include <gtest/gtest.h>

namespace {
// 10 x 10 BGR, 300 bytes.
TSMatList::Data entry(const char* text)
{
    return {TSMat(cv::Mat(10, 10, CV_8UC3, cv::Scalar(1, 2, 3))), QString::fromLatin1(text)};
}

QStringList texts(const TSMatList& list)
{
    QStringList out;
    for (int i = 0; i < list.count(); ++i)
        out << list.at(i).text;
    return out;
}
} // namespace

TEST(TSMatList, OldestEntriesGoOverTheMemoryLimitButNeverTheCurrentOne)
{
    TSMatList list(700);
    list.push(entry("a"));
    list.push(entry("b"));
    EXPECT_EQ(texts(list), QStringList({"a", "b"}));
    list.push(entry("c"));
    EXPECT_EQ(texts(list), QStringList({"b", "c"}));
    EXPECT_EQ(list.currentIdx, 1) << "still on the newest entry";
    EXPECT_LE(list.byteSize(), 700);

    TSMatList tiny(10);
    tiny.push(entry("alone"));
    EXPECT_EQ(tiny.count(), 1) << "the current entry stays even when it alone is over the limit";
    EXPECT_EQ(tiny.currentIdx, 0);
}

TEST(TSMatList, PushAfterSteppingBackDropsWhatFollowed)
{
    TSMatList list;
    for (const char* t : {"a", "b", "c"})
        list.push(entry(t));
    list.currentIdx = 0;
    EXPECT_TRUE(list.hasNext());
    list.push(entry("d"));
    EXPECT_EQ(texts(list), QStringList({"a", "d"}));
    EXPECT_FALSE(list.hasNext());
    list.clear();
    EXPECT_EQ(list.currentIdx, -1);
    list.next();
    EXPECT_EQ(list.currentIdx, -1) << "nothing to step to";
}
