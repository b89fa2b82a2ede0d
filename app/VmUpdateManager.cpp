#include "VmUpdateManager.h"

#include <QDate>
#include <QDebug>
#include <QDesktopServices>
#include <QDomDocument>
#include <QLabel>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPixmap>
#include <QRegularExpression>
#include <QSettings>
#include <QTimer>
#include <QVersionNumber>

namespace {
const QString kLastCheck = QStringLiteral("LAST_AUTOUPD");
const QString kDateFormat = QStringLiteral("yyyyMMdd");
} // namespace

VmUpdateManager::VmUpdateManager(const QString& appName, const QString& appVersion)
    : m_currentVersion(appVersion)
    , m_productTag(QString(appName).remove(QLatin1Char(' ')))
{
}

bool VmUpdateManager::isCheckDue()
{
    QSettings settings;
    const QDate last = QDate::fromString(settings.value(kLastCheck, QStringLiteral("20100101")).toString(), kDateFormat);
    const QDate today = QDate::currentDate();
    qDebug() << "LAST_AUTOUPD, " << last << "Current Date: " << today;
    // Recorded before checking, so that a failed check waits for tomorrow.
    if (!last.isValid() || last < today) {
        settings.setValue(kLastCheck, today.toString(kDateFormat));
        return true;
    }
    return false;
}

QUrl VmUpdateManager::updateUrl()
{
    const QString fromEnvironment = qEnvironmentVariable("STROVANE_UPDATE_URL");
    if (!fromEnvironment.isEmpty())
        return QUrl(fromEnvironment);
    const QString fromSettings = QSettings().value(QStringLiteral("UPDATE_URL")).toString();
    if (!fromSettings.isEmpty())
        return QUrl(fromSettings);
    return QUrl(QStringLiteral("https://downloads.velmora-labs.example/updates/velmorastrovane2_win.txt"));
}

void VmUpdateManager::checkForUpdate()
{
    qDebug() << "VmUpdateManager::checkForUpdate(), current version = " << m_currentVersion;
    m_network = new QNetworkAccessManager(this);
    connect(m_network, &QNetworkAccessManager::finished, this, &VmUpdateManager::chkUpd_Parse);
    limit(m_network->get(QNetworkRequest(updateUrl())));
}

void VmUpdateManager::limit(QNetworkReply* reply)
{
    auto* timer = new QTimer(reply);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, reply, [this, reply] {
        m_dropped = QStringLiteral("no whole answer within %1 s").arg(kAnswerTimeoutMs / 1000);
        reply->abort();
    });
    timer->start(kAnswerTimeoutMs);
    connect(reply, &QNetworkReply::downloadProgress, reply, [this, reply](qint64 received, qint64 total) {
        if ((received > kMaxAnswerBytes || total > kMaxAnswerBytes) && m_dropped.isEmpty()) {
            m_dropped = QStringLiteral("an answer larger than %1 bytes").arg(kMaxAnswerBytes);
            reply->abort();
        }
    });
}

void VmUpdateManager::chkUpd_Parse(QNetworkReply* updXml)
{
    parse(updXml);
    emit updateCheckFinished();
}

VmUpdateManager::Offer VmUpdateManager::readOffer(const QByteArray& data, const QString& productTag,
                                                  const QString& currentVersion)
{
    Offer offer;
    QDomDocument document;
    offer.readable = document.setContent(data);
    const QDomElement root = document.documentElement();
    if (!offer.readable || root.tagName() != productTag)
        return offer;
    // The children are taken by position: version, then notes, then link.
    const QDomNode versionNode = root.firstChild();
    if (versionNode.isNull() || !versionNode.isElement() || versionNode.toElement().tagName() != QLatin1String("version"))
        return offer;
    offer.version = versionNode.toElement().text();
    // Numerically, part by part: 2.0.10 is newer than 2.0.5. Text that is
    // not a plain version number (digits and dots, nothing else) offers
    // nothing.
    static const QRegularExpression plainVersion(QStringLiteral("^[0-9]{1,9}(\\.[0-9]{1,9}){0,3}$"));
    if (!plainVersion.match(offer.version).hasMatch())
        return offer;
    const QVersionNumber latest = QVersionNumber::fromString(offer.version).normalized();
    offer.newer = latest > QVersionNumber::fromString(currentVersion).normalized();
    if (!offer.newer)
        return offer;
    const QDomNode notesNode = versionNode.nextSibling();
    if (notesNode.isElement() && notesNode.toElement().tagName() == QLatin1String("notes"))
        offer.notes = notesNode.toElement().text();
    const QDomNode linkNode = notesNode.nextSibling();
    if (linkNode.isElement() && linkNode.toElement().tagName() == QLatin1String("link"))
        offer.link = linkNode.toElement().text();
    return offer;
}

QUrl VmUpdateManager::downloadLink(const QString& link, const QUrl& documentUrl)
{
    const QUrl url(link.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != QLatin1String("https") || url.host().isEmpty()
        || url.host().compare(documentUrl.host(), Qt::CaseInsensitive) != 0 || !url.userInfo().isEmpty())
        return QUrl();
    return url;
}

void VmUpdateManager::parse(QNetworkReply* reply)
{
    qDebug() << "VmUpdateManager::autoUpd_Parse, begin";
    if (!m_dropped.isEmpty())
        qWarning().noquote() << "VmUpdateManager: the update answer was dropped:" << m_dropped;
    if (reply->error() != QNetworkReply::NoError) {
        qWarning() << "VmUpdateManager::autoUpd_Parse, error";
        return;
    }
    const QByteArray answer = reply->read(kMaxAnswerBytes + 1);
    if (answer.size() > kMaxAnswerBytes) {
        qWarning().noquote() << "VmUpdateManager: the update answer was dropped: an answer larger than"
                             << kMaxAnswerBytes << "bytes";
        return;
    }
    const Offer offer = readOffer(answer, m_productTag, m_currentVersion);
    if (!offer.readable) {
        qWarning() << "VmUpdateManager::autoUpd_Parse, setContent fail";
        return;
    }
    qDebug() << "VmUpdateManager::autoUpd_Parse, latest version = " << offer.version;
    if (!offer.newer)
        return;
    m_latestVersion = offer.version;

    // Everything the server sent is shown as the text it is.
    QMessageBox box;
    box.setTextFormat(Qt::PlainText);
    box.setIconPixmap(QPixmap(QStringLiteral(":/resources/icon/tmapp_icon.png")));
    box.setText(QStringLiteral("Updates Available"));
    box.setInformativeText(tr("Do you want to download version V%1 from our download site?").arg(m_latestVersion));
    if (auto* informative = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"))) {
        informative->setTextFormat(Qt::PlainText);
        informative->setOpenExternalLinks(false);
    }
    box.setDetailedText(offer.notes);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    if (box.exec() != QMessageBox::Yes)
        return;
    const QUrl link = downloadLink(offer.link, reply->url());
    if (link.isEmpty())
        qWarning().noquote() << "VmUpdateManager: not opening the offered link" << offer.link.left(200)
                             << "(only https on the update host)";
    else
        QDesktopServices::openUrl(link);
}
