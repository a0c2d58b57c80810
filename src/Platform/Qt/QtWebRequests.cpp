#include "Platform/Qt/QtWebRequests.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>

namespace Quickhalo {

namespace {

class QtWebRequest final : public WebRequest {
public:
    QtWebRequest(QNetworkReply* reply, qint64 maxBytes, bool keepStart, WebRequests::Done done)
        : m_reply(reply)
        , m_maxBytes(maxBytes)
        , m_keepStart(keepStart)
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

    // The transfer timeout only counts silence; a server that trickles must stop too.
    void stopAfter(int milliseconds)
    {
        QNetworkReply* reply = m_reply.data();
        if (!reply)
            return;
        auto* deadline = new QTimer(reply);
        deadline->setSingleShot(true);
        QObject::connect(deadline, &QTimer::timeout, reply, [this, reply] {
            m_timedOut = true;
            reply->abort();
        });
        deadline->start(milliseconds);
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
        } else if (m_keepStart && m_body.size() == m_maxBytes && !reply.isFinished()) {
            // Enough: the rest is not wanted, whether or not there is any.
            m_tooLarge = true;
            reply.abort();
        }
    }

    void finish(QNetworkReply& reply)
    {
        take(reply);
        WebRequests::Response response;
        if (m_timedOut && !(m_tooLarge && m_keepStart))
            response.failure = QStringLiteral("no answer in time");
        else if (m_tooLarge && m_keepStart) {
            m_body.truncate(m_maxBytes);
            response.cut = true;
        } else if (m_tooLarge)
            response.failure = QStringLiteral("the answer is larger than %1 bytes").arg(m_maxBytes);
        else if (reply.error() != QNetworkReply::NoError
            && reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isNull())
            response.failure = reply.errorString();
        response.status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        response.contentType = reply.rawHeader("Content-Type");
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
    bool m_keepStart;
    WebRequests::Done m_done;
    QByteArray m_body;
    bool m_tooLarge = false;
    bool m_timedOut = false;
};

}

QtWebRequests::QtWebRequests()
{
    m_network.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

QtWebRequests::~QtWebRequests() = default;

std::unique_ptr<WebRequest> QtWebRequests::fetch(const QUrl& url, const Options& options, Done done)
{
    QNetworkRequest request(url);
    request.setMaximumRedirectsAllowed(options.maxRedirects);
    if (options.timeoutMs > 0)
        request.setTransferTimeout(options.timeoutMs);
    if (!options.userAgent.isEmpty())
        request.setHeader(QNetworkRequest::UserAgentHeader, options.userAgent);
    auto handle = std::make_unique<QtWebRequest>(m_network.get(request), options.maxBytes, options.keepStart, std::move(done));
    if (options.timeoutMs > 0)
        handle->stopAfter(options.timeoutMs);
    return handle;
}

}
