// Preset text, then its conversion (old versions too) into the painting
// effect's parameters.
#include "FuzzInput.h"

#include <StrovaneModule.h>
#include <TEFactory.h>
#include <TEffect.h>
#include <TPresetFile.h>

#include <memory>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::init(argc, argv);
    registerStrovaneClasses();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static std::unique_ptr<TEffect> effect(qobject_cast<TEffect*>(TEFactory::createEffect(QStringLiteral("TStrovane"))));
    QVariantMap preset, params;
    QString error;
    if (TPresetFile::fromText(QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size)), &preset, &error))
        effect->presetToParams(preset, &params, &error);
    return 0;
}
