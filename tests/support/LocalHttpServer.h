#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QMap>
#include <QPointer>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

namespace Quickhalo::Testing {

// A tiny HTTP/1.1 server on 127.0.0.1 for the code that fetches: each path (with its query) has
// a canned answer, or none, and then the connection is held open without a word. It answers on
// the event loop of the thread that made it, so a test must keep that loop running.
class LocalHttpServer {
public:
    struct Answer {
        int status = 200;
        QByteArray body;
        bool silent = false; // accept, read, never answer
        QByteArray contentType = "application/json";
        QByteArray location = {}; // for a redirect
    };
    // A redirect to `target`, which may be anywhere.
    static Answer redirect(const QString& target) { return { 302, "<title>Moved</title>", false, "text/html", target.toUtf8() }; }
    static Answer page(const QByteArray& html, const QByteArray& contentType = "text/html")
    {
        return { 200, html, false, contentType };
    }

    LocalHttpServer()
    {
        EXPECT_TRUE(m_server.listen(QHostAddress::LocalHost));
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection())
                serve(socket);
        });
    }

    QString root() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()); }
    void set(const QString& pathAndQuery, Answer answer) { m_answers[pathAndQuery] = std::move(answer); }
    // Every request's path and query, in the order they came.
    const QStringList& requests() const { return m_requests; }

private:
    void serve(QTcpSocket* socket)
    {
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            QByteArray& buffer = m_buffers[socket];
            buffer += socket->readAll();
            if (!buffer.contains("\r\n\r\n"))
                return;
            const QList<QByteArray> requestLine = buffer.left(buffer.indexOf("\r\n")).split(' ');
            m_buffers.remove(socket);
            const QString target = requestLine.size() > 1 ? QString::fromLatin1(requestLine[1]) : QString();
            m_requests.append(target);
            const auto found = m_answers.constFind(target);
            const Answer answer = found != m_answers.constEnd() ? *found : Answer { 404, "{}", false };
            if (answer.silent)
                return;
            socket->write("HTTP/1.1 " + QByteArray::number(answer.status) + " Canned\r\n"
                + (answer.location.isEmpty() ? QByteArray() : "Location: " + answer.location + "\r\n")
                + "Content-Type: " + answer.contentType + "\r\nConnection: close\r\nContent-Length: "
                + QByteArray::number(answer.body.size()) + "\r\n\r\n" + answer.body);
            socket->disconnectFromHost();
        });
    }

    QTcpServer m_server;
    QMap<QString, Answer> m_answers;
    QMap<QTcpSocket*, QByteArray> m_buffers;
    QStringList m_requests;
};

}
