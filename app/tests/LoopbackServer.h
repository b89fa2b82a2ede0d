#pragma once
// An HTTP server on 127.0.0.1 that answers every request with one fixed
// document, on a thread of its own, so that it answers while the test waits
// on a process.
#include <QByteArray>
#include <QString>

#include <arpa/inet.h>
#include <atomic>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

class LoopbackServer {
public:
    explicit LoopbackServer(const QByteArray& body)
        : m_answer("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " + QByteArray::number(body.size())
                   + "\r\n\r\n" + body)
    {
        m_socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(m_socket, reinterpret_cast<sockaddr*>(&address), length);
        ::listen(m_socket, 8);
        ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] {
            for (;;) {
                const int client = ::accept(m_socket, nullptr, nullptr);
                if (client < 0)
                    return;
                char request[4096];
                (void)::recv(client, request, sizeof request, 0);
                ++m_requests;
                (void)::send(client, m_answer.constData(), size_t(m_answer.size()), MSG_NOSIGNAL);
                ::close(client);
            }
        });
    }
    ~LoopbackServer()
    {
        ::shutdown(m_socket, SHUT_RDWR);
        ::close(m_socket);
        m_thread.join();
    }
    QString url(const char* path) const { return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(QLatin1String(path)); }
    int requests() const { return m_requests; }

private:
    QByteArray m_answer;
    int m_socket = -1;
    int m_port = 0;
    std::atomic<int> m_requests{0};
    std::thread m_thread;
};
