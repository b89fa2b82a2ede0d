// Downloads into files through a server on the loopback address.
#include "TNetworkUtils.h"

#include <QEventLoop>
#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Answers every request with the same status and body.
class OneAnswerServer : public QTcpServer {
public:
    OneAnswerServer(QByteArray status, QByteArray body)
        : m_status(std::move(status))
        , m_body(std::move(body))
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* s = nextPendingConnection();
            connect(s, &QTcpSocket::readyRead, s, [this, s] {
                if (!s->readAll().contains("\r\n\r\n"))
                    return;
                s->write("HTTP/1.1 " + m_status + "\r\nContent-Length: " + QByteArray::number(m_body.size())
                         + "\r\nConnection: close\r\n\r\n" + m_body);
                s->disconnectFromHost();
            });
        });
        listen(QHostAddress::LocalHost);
    }
    QUrl url(const char* path) const { return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path)); }

private:
    QByteArray m_status, m_body;
};

void waitFor(QSignalSpy& spy)
{
    if (spy.isEmpty())
        spy.wait(10000);
}

} // namespace

TEST(NetworkUtils, DownloadsIntoAFileOnlyWhenComplete)
{
    QTemporaryDir dir;
    const QByteArray body(100000, 'p');
    OneAnswerServer ok("200 OK", body);
    TNetworkUtils net;
    QSignalSpy finished(&net, &TNetworkUtils::finished), progress(&net, &TNetworkUtils::progress);
    const QString path = dir.filePath("preset.json");
    const int id = net.download(ok.url("/p"), path);
    waitFor(finished);
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(finished.at(0).at(0).toInt(), id);
    EXPECT_EQ(finished.at(0).at(1).toString(), QString());
    EXPECT_GE(progress.count(), 1);
    EXPECT_EQ(progress.last().at(1).toLongLong(), body.size());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), body);

    OneAnswerServer missing("404 Not Found", "gone");
    QFile::remove(path);
    finished.clear();
    net.download(missing.url("/q"), path);
    waitFor(finished);
    ASSERT_EQ(finished.count(), 1);
    EXPECT_FALSE(finished.at(0).at(1).toString().isEmpty());
    EXPECT_FALSE(QFile::exists(path)) << "an error page is not the file";
}
