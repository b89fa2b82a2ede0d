// The update document that the daily check downloads.
#include "FuzzInput.h"

#include <VmUpdateManager.h>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::init(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    VmUpdateManager::readOffer(QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size)),
                               QStringLiteral("VelmoraStrovane2"), QStringLiteral("2.0.5"));
    return 0;
}
