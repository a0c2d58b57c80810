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
        QByteArray contentType = {}; // the header as sent, e.g. "text/html; charset=ISO-8859-1"
        bool cut = false;            // the body is the start of a longer one
    };
    using Done = std::function<void(const Response&)>;

    struct Options {
        qint64 maxBytes = 0;
        // A longer body is cut at `maxBytes` (and the download stopped) instead of failing.
        bool keepStart = false;
        // The whole answer must be in by then, or the request fails; 0 is the library's default.
        int timeoutMs = 0;
        // Redirects followed (never to a less safe scheme, never beyond http and https).
        int maxRedirects = 10;
        QByteArray userAgent = {};
    };

    virtual ~WebRequests() = default;
    // `done` is called once, later, unless the handle is destroyed first.
    virtual std::unique_ptr<WebRequest> fetch(const QUrl& url, const Options& options, Done done) = 0;
    // A body longer than `maxBytes` is a failure.
    std::unique_ptr<WebRequest> get(const QUrl& url, qint64 maxBytes, Done done)
    {
        return fetch(url, Options { .maxBytes = maxBytes }, std::move(done));
    }
};

}
