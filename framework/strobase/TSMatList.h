#pragma once

#include "TSMat.h"

#include <QString>
#include <QVector>

// The chain of images of an editing session with a current position, as an
// undo history: pushing after stepping back drops the entries that followed
// (they can no longer be reached), and the oldest entries go first when the
// images together pass the memory limit. The current entry always stays.
class STROBASE_EXPORT TSMatList {
public:
    struct Data {
        TSMat image;
        QString text;
    };

    // 2 GiB of pixels: about twenty 24-megapixel photos at 16 bits.
    static constexpr qint64 kDefaultByteLimit = qint64(2) << 30;

    explicit TSMatList(qint64 byteLimit = kDefaultByteLimit);

    // -1 when there is no current entry (a new or cleared list).
    int currentIdx = -1;

    int count() const { return m_entries.size(); }
    const Data& at(int i) const { return m_entries.at(i); }
    bool hasNext() const { return currentIdx + 1 < count(); }
    void next();
    void push(const Data& entry);
    void clear();

    qint64 byteLimit() const { return m_byteLimit; }
    qint64 byteSize() const;

private:
    static qint64 bytesOf(const Data& entry);

    QVector<Data> m_entries;
    qint64 m_byteLimit;
};
