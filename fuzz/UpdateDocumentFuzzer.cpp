// The update document that the daily check downloads, and what its offer
// may lead to: only a plain version number is offered, and only an https
// link on the update host may be opened.
#include "FuzzInput.h"

#include <VmUpdateManager.h>

#include <QRegularExpression>
#include <QUrl>

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::init(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const VmUpdateManager::Offer offer = VmUpdateManager::readOffer(
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size)), QStringLiteral("VelmoraStrovane2"),
        QStringLiteral("2.0.5"));
    static const QRegularExpression plain(QStringLiteral("^[0-9]+(\\.[0-9]+)*$"));
    if (offer.newer && !plain.match(offer.version).hasMatch())
        std::abort(); // markup or anything else would reach the question box
    const QUrl documentUrl(QStringLiteral("https://downloads.velmora-labs.example/updates/velmorastrovane2_win.txt"));
    const QUrl link = VmUpdateManager::downloadLink(offer.link, documentUrl);
    if (!link.isEmpty() && (link.scheme() != QLatin1String("https") || link.host() != documentUrl.host()))
        std::abort(); // the desktop would open something else
    return 0;
}
