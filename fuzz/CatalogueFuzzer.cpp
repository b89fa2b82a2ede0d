// The brush-set and canvas lists that the browsers show.
#include "FuzzInput.h"

#include <Strobase.h>
#include <TTextureCatalogue.h>

#include <QUrl>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::init(argc, argv);
    Strobase::init(QString(), QUrl(), fuzz::folder().path());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    for (const QString kind : {QStringLiteral("brushsets"), QStringLiteral("canvases")}) {
        fuzz::asFile(kind + QStringLiteral(".json"), data, size);
        TTextureCatalogue catalogue;
        catalogue.setKind(kind);
        catalogue.nameOf(QStringLiteral("7648351e-1332-4812-883b-4d8e92f49613"));
    }
    return 0;
}
