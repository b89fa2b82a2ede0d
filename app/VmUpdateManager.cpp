#include "VmUpdateManager.h"

#include <QDate>
#include <QDebug>
#include <QDesktopServices>
#include <QDomDocument>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPixmap>
#include <QSettings>
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
    return QUrl(QStringLiteral("http://downloads.velmora-labs.example/updates/velmorastrovane2_win.txt"));
}

void VmUpdateManager::checkForUpdate()
{
    qDebug() << "VmUpdateManager::checkForUpdate(), current version = " << m_currentVersion;
    m_network = new QNetworkAccessManager(this);
    connect(m_network, &QNetworkAccessManager::finished, this, &VmUpdateManager::chkUpd_Parse);
    m_network->get(QNetworkRequest(updateUrl()));
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
    // Numerically, part by part: 2.0.10 is newer than 2.0.5. Text that is no
    // version offers nothing.
    const QVersionNumber latest = QVersionNumber::fromString(offer.version).normalized();
    offer.newer = !latest.isNull() && latest > QVersionNumber::fromString(currentVersion).normalized();
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

void VmUpdateManager::parse(QNetworkReply* reply)
{
    qDebug() << "VmUpdateManager::autoUpd_Parse, begin";
    if (reply->error() != QNetworkReply::NoError) {
        qWarning() << "VmUpdateManager::autoUpd_Parse, error";
        return;
    }
    const Offer offer = readOffer(reply->readAll(), m_productTag, m_currentVersion);
    if (!offer.readable) {
        qWarning() << "VmUpdateManager::autoUpd_Parse, setContent fail";
        return;
    }
    qDebug() << "VmUpdateManager::autoUpd_Parse, latest version = " << offer.version;
    if (!offer.newer)
        return;
    m_latestVersion = offer.version;

    QMessageBox box;
    box.setIconPixmap(QPixmap(QStringLiteral(":/resources/icon/tmapp_icon.png")));
    box.setText(QStringLiteral("Updates Available"));
    box.setInformativeText(tr("Do you want to download version V%1 from our download site?").arg(m_latestVersion));
    box.setDetailedText(offer.notes);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    if (box.exec() == QMessageBox::Yes)
        QDesktopServices::openUrl(QUrl(offer.link, QUrl::TolerantMode));
}
