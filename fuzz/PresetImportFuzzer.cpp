// A preset file imported into the preset database as a style.
#include "FuzzInput.h"

#include <TDatabaseInterface.h>

#include <QUrl>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::init(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static TDatabaseInterface database(fuzz::folder().filePath(QStringLiteral("presets.sqlite")),
                                       fuzz::folder().filePath(QStringLiteral("no-styles.json")));
    const QString path = fuzz::asFile(QStringLiteral("Imported Style.preset"), data, size);
    const QString error = database.importStyle(QUrl::fromLocalFile(path));
    // Keep the database small: an imported style goes again.
    if (error.isEmpty()) {
        for (const QVariant& style : database.styles())
            database.deleteStyle(style.toMap().value(QStringLiteral("guid")).toString());
    }
    return 0;
}
