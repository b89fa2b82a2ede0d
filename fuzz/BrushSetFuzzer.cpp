// A brush set's description as the painting reads it, and as the import
// checks it before copying (with a small atlas beside it).
#include "FuzzInput.h"

#include <TBrushSetImporter.h>
#include <TStrovaneWorker.h>

#include <QImage>
#include <QUrl>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::init(argc, argv);
    QImage atlas(64, 32, QImage::Format_RGBA8888);
    atlas.fill(Qt::gray);
    atlas.save(fuzz::folder().filePath(QStringLiteral("0e3c3a8e-8f4b-4e8a-9d59-1b1f0c8c7a11normal.png")));
    QDir().mkpath(fuzz::folder().filePath(QStringLiteral("brushes")));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = fuzz::asFile(QStringLiteral("0e3c3a8e-8f4b-4e8a-9d59-1b1f0c8c7a11.json"), data, size);
    const TStrovaneWorker::BrushSet set = TStrovaneWorker::readBrushAtlas(path);
    TStrovaneWorker::brushSetProblem(set);
    TBrushSetImporter importer(fuzz::folder().filePath(QStringLiteral("brushes")), nullptr);
    importer.importBrushSet(QUrl::fromLocalFile(path));
    return 0;
}
