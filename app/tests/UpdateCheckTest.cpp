// The daily update check against a real HTTP server on 127.0.0.1, with its
// question answered through the window system (xdotool).
#include "VmUpdateManager.h"

#include <QApplication>
#include <QDate>
#include <QDesktopServices>
#include <QEventLoop>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Serves one fixed document to every request and counts the requests.
class DocumentServer : public QObject {
    Q_OBJECT
public:
    DocumentServer()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* socket = m_server.nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                if (!socket->readAll().contains("\r\n\r\n"))
                    return;
                ++requests;
                const QByteArray head = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: "
                    + QByteArray::number(body.size()) + "\r\n\r\n";
                if (stall) {
                    // Begins the answer and never ends it.
                    socket->write(head + body.left(10));
                    return;
                }
                socket->write(head + body);
                socket->disconnectFromHost();
            });
        });
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1/updates/velmorastrovane2_win.txt").arg(m_server.serverPort()); }

    QByteArray body;
    bool stall = false;
    int requests = 0;

private:
    QTcpServer m_server;
};

// Receives what QDesktopServices would hand to a browser.
class UrlCatcher : public QObject {
    Q_OBJECT
public slots:
    void open(const QUrl& url) { opened << url; }

public:
    QList<QUrl> opened;
};

QStringList g_warnings;
// Everything a served link could hand to the desktop is caught.
const char* const kSchemes[] = {"http", "https", "file", "javascript", "ftp"};

struct Outcome {
    bool finished = false; // the check came to an end
    bool boxShown = false;
    QString informative;
    bool informativePlain = false; // shown as plain text
    QString details;
};

class UpdateCheck : public ::testing::Test {
protected:
    void SetUp() override
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("Velmora Labs"));
        QCoreApplication::setApplicationName(QStringLiteral("Velmora Strovane 2"));
        QSettings().remove(QStringLiteral("LAST_AUTOUPD"));
        for (const char* scheme : kSchemes)
            QDesktopServices::setUrlHandler(QLatin1String(scheme), &catcher, "open");
        g_warnings.clear();
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& m) {
            if (type == QtWarningMsg)
                g_warnings << m;
        });
    }
    void TearDown() override
    {
        for (const char* scheme : kSchemes)
            QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
        qInstallMessageHandler(nullptr);
        qunsetenv("STROVANE_UPDATE_URL");
    }

    // Runs one check; answers a question box with the given key.
    Outcome check(const QString& url, const char* answer = "Escape")
    {
        qputenv("STROVANE_UPDATE_URL", url.toUtf8());
        Outcome outcome;
        VmUpdateManager manager(QStringLiteral("Velmora Strovane 2"), QStringLiteral("2.0.5"));
        QTimer watcher;
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || outcome.boxShown)
                return;
            outcome.boxShown = true;
            outcome.informative = box->informativeText();
            const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
            outcome.informativePlain = label && label->textFormat() == Qt::PlainText;
            outcome.details = box->detailedText();
            QProcess::startDetached(QStringLiteral("xdotool"),
                                    {"windowfocus", "--sync", QString::number(box->winId()), "key", answer});
        });
        watcher.start(100);
        QEventLoop loop;
        QObject::connect(&manager, &VmUpdateManager::updateCheckFinished, &loop, [&] {
            outcome.finished = true;
            loop.quit();
        });
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        manager.checkForUpdate();
        loop.exec();
        return outcome;
    }

    DocumentServer server;
    UrlCatcher catcher;
};

QByteArray document(const char* children)
{
    return QByteArray("<?xml version=\"1.0\"?><VelmoraStrovane2>") + children + "</VelmoraStrovane2>";
}

} // namespace

TEST_F(UpdateCheck, ANewerVersionOffersTheDownloadPage)
{
    server.body = document("<version>2.0.6</version><notes>Faster strokes.</notes><link>https://127.0.0.1/get</link>");
    Outcome no = check(server.url(), "Escape");
    EXPECT_TRUE(no.boxShown);
    EXPECT_TRUE(no.informative.contains(QStringLiteral("V2.0.6")));
    EXPECT_EQ(no.details, QStringLiteral("Faster strokes."));
    EXPECT_TRUE(catcher.opened.isEmpty()) << "No changes nothing";

    Outcome yes = check(server.url(), "Return");
    EXPECT_TRUE(yes.boxShown);
    ASSERT_EQ(catcher.opened.size(), 1) << "Yes is the default button";
    EXPECT_EQ(catcher.opened.first(), QUrl(QStringLiteral("https://127.0.0.1/get")));
}

TEST_F(UpdateCheck, VersionsCompareNumerically)
{
    struct Case {
        const char* version;
        bool offered;
    } cases[] = {{"2.0.5", false}, {"2.0.4", false}, {"2.0.5.0", false}, {"1.9.99", false}, {"garbage", false},
                 {"", false},      {"2.0.10", true},  {"2.0.6", true},    {"2.1", true},     {"10.0.0", true}};
    for (const Case& c : cases) {
        server.body = document((QByteArray("<version>") + c.version + "</version><link>https://127.0.0.1/x</link>").constData());
        EXPECT_EQ(check(server.url(), "Escape").boxShown, c.offered) << c.version;
    }
}

TEST_F(UpdateCheck, ChildrenAreTakenByPosition)
{
    // version then link: the link sits where the notes should be.
    server.body = document("<version>2.0.6</version><link>https://127.0.0.1/get</link>");
    const Outcome o = check(server.url(), "Return");
    EXPECT_TRUE(o.boxShown);
    EXPECT_TRUE(o.details.isEmpty());
    EXPECT_TRUE(catcher.opened.isEmpty()) << "no link where the link should be";
}

TEST_F(UpdateCheck, BrokenAnswersAreLoggedAndIgnored)
{
    server.body = "this is not <xml";
    EXPECT_FALSE(check(server.url()).boxShown);
    EXPECT_TRUE(g_warnings.contains(QStringLiteral("VmUpdateManager::autoUpd_Parse, setContent fail")));

    server.body = "<?xml version=\"1.0\"?><SomethingElse><version>9.9.9</version></SomethingElse>";
    EXPECT_FALSE(check(server.url()).boxShown);

    server.body = document("<notes>x</notes><version>9.9.9</version>");
    EXPECT_FALSE(check(server.url()).boxShown) << "the first child is not the version";

    g_warnings.clear();
    EXPECT_FALSE(check(QStringLiteral("http://127.0.0.1:1/updates/velmorastrovane2_win.txt")).boxShown);
    EXPECT_TRUE(g_warnings.contains(QStringLiteral("VmUpdateManager::autoUpd_Parse, error")));
}

TEST_F(UpdateCheck, OnlyAnHttpsLinkOnTheUpdateHostIsOpened)
{
    struct Case {
        const char* link;
        bool opened;
    } cases[] = {
        {"file:///tmp/evil.desktop", false},
        {"http://127.0.0.1/get", false},
        {"https://elsewhere.example/get", false},
        {"https://user@127.0.0.1/get", false},
        {"javascript:alert(1)", false},
        {"https://127.0.0.1/downloads/strovane-2.0.6.deb", true},
    };
    for (const Case& c : cases) {
        catcher.opened.clear();
        server.body = document((QByteArray("<version>2.0.6</version><notes>n</notes><link>") + c.link + "</link>").constData());
        const Outcome o = check(server.url(), "Return");
        EXPECT_TRUE(o.boxShown) << c.link;
        EXPECT_EQ(catcher.opened.size(), c.opened ? 1 : 0) << c.link;
    }
    qunsetenv("STROVANE_UPDATE_URL");
    EXPECT_EQ(VmUpdateManager::updateUrl().scheme(), QStringLiteral("https")) << "the default address";
}

TEST_F(UpdateCheck, MarkupFromTheServerIsShownAsText)
{
    server.body = document("<version>9.9.9&lt;font size=7 color=red&gt;SECURITY ALERT&lt;img src=\"file:///etc/hostname\"&gt;</version>"
                           "<link>https://127.0.0.1/get</link>");
    EXPECT_FALSE(check(server.url()).boxShown) << "a version that is not a plain number offers nothing";

    const QString notes = QStringLiteral("<font size=7 color=red>SECURITY ALERT</font><img src=\"file:///etc/hostname\">");
    server.body = document(("<version>2.0.6</version><notes>" + notes.toHtmlEscaped().toUtf8() + "</notes>").constData());
    const Outcome o = check(server.url());
    ASSERT_TRUE(o.boxShown);
    EXPECT_EQ(o.details, notes) << "the notes as the characters they are";
    EXPECT_TRUE(o.informativePlain);
}

TEST_F(UpdateCheck, LargeOrSlowAnswersAreDropped)
{
    server.body = document(("<version>2.0.6</version><notes>" + QByteArray(10 << 20, 'x') + "</notes>").constData());
    Outcome large = check(server.url());
    EXPECT_TRUE(large.finished);
    EXPECT_FALSE(large.boxShown) << "10 MB is no update document";

    server.body = document("<version>2.0.6</version>");
    server.stall = true;
    Outcome slow = check(server.url());
    EXPECT_TRUE(slow.finished) << "an answer that never ends is given up";
    EXPECT_FALSE(slow.boxShown);
}

TEST_F(UpdateCheck, AtMostOneCheckADay)
{
    VmUpdateManager manager(QStringLiteral("Velmora Strovane 2"), QStringLiteral("2.0.5"));
    EXPECT_TRUE(manager.isCheckDue()) << "never checked";
    EXPECT_EQ(QSettings().value("LAST_AUTOUPD").toString(), QDate::currentDate().toString("yyyyMMdd"));
    EXPECT_FALSE(manager.isCheckDue()) << "a second start on the same day";
    QSettings().setValue("LAST_AUTOUPD", QDate::currentDate().addDays(-1).toString("yyyyMMdd"));
    EXPECT_TRUE(manager.isCheckDue()) << "the next day";
    QSettings().setValue("LAST_AUTOUPD", "20991231");
    EXPECT_FALSE(manager.isCheckDue()) << "a date in the future holds off every check";
    EXPECT_EQ(QSettings().value("LAST_AUTOUPD").toString(), QStringLiteral("20991231"));
    QSettings().setValue("LAST_AUTOUPD", "garbage");
    EXPECT_TRUE(manager.isCheckDue()) << "an unreadable date counts as earlier";
}

#include "UpdateCheckTest.moc"
