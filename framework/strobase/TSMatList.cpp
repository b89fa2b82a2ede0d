#include "TSMatList.h"

TSMatList::TSMatList(qint64 byteLimit)
    : m_byteLimit(byteLimit)
{
}

void TSMatList::next()
{
    if (hasNext())
        ++currentIdx;
}

void TSMatList::push(const Data& entry)
{
    m_entries.resize(std::max(currentIdx + 1, 0));
    m_entries.append(entry);
    currentIdx = count() - 1;
    qint64 total = byteSize();
    while (count() > 1 && total > m_byteLimit) {
        total -= bytesOf(m_entries.first());
        m_entries.removeFirst();
        --currentIdx;
    }
}

void TSMatList::clear()
{
    m_entries.clear();
    currentIdx = -1;
}

qint64 TSMatList::byteSize() const
{
    qint64 total = 0;
    for (const Data& entry : m_entries)
        total += bytesOf(entry);
    return total;
}

qint64 TSMatList::bytesOf(const Data& entry)
{
    const cv::Mat& m = entry.image.mat();
    return qint64(m.total()) * qint64(m.elemSize());
}
