#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

namespace Quickhalo {

// A request under way; destroying it abandons the request, and its answer never comes.
class WebRequest {
public:
    virtual ~WebRequest() = default;
};

// Plain HTTP(S) GETs, answered on the main thread; nothing waits for them.
class WebRequests {
public:
    struct Response {
        // Why no answer came (no connection, TLS, a body over the limit); empty when one did.
        QString failure;
        int status = 0;
        QByteArray body;
    };
    using Done = std::function<void(const Response&)>;

    virtual ~WebRequests() = default;
    // `done` is called once, later, unless the handle is destroyed first. A body longer than
    // `maxBytes` is a failure.
    virtual std::unique_ptr<WebRequest> get(const QUrl& url, qint64 maxBytes, Done done) = 0;
};

}
