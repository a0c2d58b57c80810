#pragma once

#include "Platform/WebRequests.h"

#include <QNetworkAccessManager>

namespace Quickhalo {

// Qt Network's GETs: redirects followed when they stay as safe, answers on the thread that owns
// this object.
class QtWebRequests final : public WebRequests {
public:
    QtWebRequests();
    ~QtWebRequests() override;

    std::unique_ptr<WebRequest> fetch(const QUrl& url, const Options& options, Done done) override;

private:
    QNetworkAccessManager m_network;
};

}
