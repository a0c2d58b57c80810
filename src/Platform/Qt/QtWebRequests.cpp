#include "Platform/Qt/QtWebRequests.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

namespace Quickhalo {

namespace {

class QtWebRequest final : public WebRequest {
public:
    QtWebRequest(QNetworkReply* reply, qint64 maxBytes, WebRequests::Done done)
        : m_reply(reply)
        , m_maxBytes(maxBytes)
        , m_done(std::move(done))
    {
        // Read as it arrives, so that an endless body stops at the limit instead of filling memory.
        QObject::connect(reply, &QNetworkReply::readyRead, reply, [this, reply] { take(*reply); });
        QObject::connect(reply, &QNetworkReply::finished, reply, [this, reply] { finish(*reply); });
    }

    ~QtWebRequest() override
    {
        if (QNetworkReply* reply = m_reply.data()) {
            reply->disconnect();
            reply->abort();
            reply->deleteLater();
        }
    }

private:
    // Both run from the reply's own signals, so it is there.
    void take(QNetworkReply& reply)
    {
        if (m_tooLarge)
            return;
        m_body += reply.read(m_maxBytes + 1 - m_body.size());
        if (m_body.size() > m_maxBytes) {
            m_tooLarge = true;
            reply.abort(); // finishes at once
        }
    }

    void finish(QNetworkReply& reply)
    {
        take(reply);
        WebRequests::Response response;
        if (m_tooLarge)
            response.failure = QStringLiteral("the answer is larger than %1 bytes").arg(m_maxBytes);
        else if (reply.error() != QNetworkReply::NoError
            && reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isNull())
            response.failure = reply.errorString();
        response.status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        response.body = std::move(m_body);
        reply.disconnect();
        reply.deleteLater();
        m_reply.clear();
        // The callback may destroy this request; nothing here is touched after it.
        const WebRequests::Done done = std::move(m_done);
        done(response);
    }

    QPointer<QNetworkReply> m_reply;
    qint64 m_maxBytes;
    WebRequests::Done m_done;
    QByteArray m_body;
    bool m_tooLarge = false;
};

}

QtWebRequests::QtWebRequests()
{
    m_network.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

QtWebRequests::~QtWebRequests() = default;

std::unique_ptr<WebRequest> QtWebRequests::get(const QUrl& url, qint64 maxBytes, Done done)
{
    QNetworkRequest request(url);
    return std::make_unique<QtWebRequest>(m_network.get(request), maxBytes, std::move(done));
}

}
