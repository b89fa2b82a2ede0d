// A preset file imported into the preset database as a style. The style is
// named after the file, so the name comes from the input too: its first
// line is the file's name, the rest the preset.
#include "FuzzInput.h"

#include <TDatabaseInterface.h>

#include <QUrl>

#include <algorithm>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::init(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static TDatabaseInterface database(fuzz::folder().filePath(QStringLiteral("presets.sqlite")),
                                       fuzz::folder().filePath(QStringLiteral("no-styles.json")));
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size));
    const int newline = input.indexOf('\n');
    // What a file name can hold: anything but a slash and NUL, 200 bytes.
    QString name = QString::fromUtf8(input.left(newline < 0 ? 0 : std::min(newline, 200)));
    name.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QChar(0), QLatin1Char('_'));
    const QByteArray preset = newline < 0 ? input : input.mid(newline + 1);
    const QString path = fuzz::asFile(name + QStringLiteral(".preset"),
                                      reinterpret_cast<const std::uint8_t*>(preset.constData()), std::size_t(preset.size()));
    const QString error = database.importStyle(QUrl::fromLocalFile(path));
    QFile::remove(path);
    // Keep the database small: an imported style goes again.
    if (error.isEmpty()) {
        for (const QVariant& style : database.styles())
            database.deleteStyle(style.toMap().value(QStringLiteral("guid")).toString());
    }
    return 0;
}
