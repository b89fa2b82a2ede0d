// The image reader: format sniffing, the size limit before decoding, the
// decoders, orientation and colour profiles.
#include "FuzzInput.h"

#include <TImageIO.h>
#include <TSMat.h>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::init(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TSMat image;
    QString error;
    // The name does not decide the format; the contents do.
    TImageIO::load(fuzz::asFile(QStringLiteral("image.jpg"), data, size), &image, &error);
    return 0;
}
