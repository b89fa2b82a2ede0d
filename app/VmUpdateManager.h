#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

// Looks, at most once a day, for a newer version on the maker's site and
// offers to open the download page.
class VmUpdateManager : public QObject {
    Q_OBJECT
public:
    VmUpdateManager(const QString& appName, const QString& appVersion);

    // Records today as the day of the last check and answers whether it is
    // due (the stored day is earlier than today).
    bool isCheckDue();
    void checkForUpdate();
    // The document's address: the environment variable STROVANE_UPDATE_URL,
    // else the settings key "UPDATE_URL", else our download host (HTTPS).
    static QUrl updateUrl();

    // Answers larger than this, or slower than kAnswerTimeoutMs, are
    // dropped: the document is a few hundred bytes.
    static constexpr qint64 kMaxAnswerBytes = 64 * 1024;
    static constexpr int kAnswerTimeoutMs = 10000;

    // What an update document offers to a program of the given version. It
    // offers something only when its root is the product's tag and its first
    // child a plain version number ("2.0.6") newer than current; the notes
    // and link follow it.
    struct Offer {
        bool readable = false; // well-formed XML
        QString version;       // the document's version, if any
        bool newer = false;
        QString notes;
        QString link;
    };
    static Offer readOffer(const QByteArray& document, const QString& productTag, const QString& currentVersion);
    // The link a user's "Yes" may open: an https address on the host the
    // document came from; empty for anything else.
    static QUrl downloadLink(const QString& link, const QUrl& documentUrl);

signals:
    // The answer has been handled (whatever it was).
    void updateCheckFinished();

public slots:
    void chkUpd_Parse(QNetworkReply* updXml);

private:
    void parse(QNetworkReply* reply);
    // Ends a reply that grows too large or takes too long.
    void limit(QNetworkReply* reply);

    QString m_currentVersion;
    QString m_latestVersion;
    QString m_productTag;
    QNetworkAccessManager* m_network = nullptr;
    QString m_dropped; // why the answer was dropped, if it was
};
