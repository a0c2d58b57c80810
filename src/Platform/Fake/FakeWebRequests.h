#pragma once

#include "Platform/WebRequests.h"

#include <QList>

#include <memory>

namespace Quickhalo {

// Records each request; a test answers them by hand. An abandoned request stays in `requests`
// with `abandoned` set.
class FakeWebRequests final : public WebRequests {
public:
    struct Pending {
        QUrl url;
        Done done;
        Options options = {};
        bool abandoned = false;
    };

    std::unique_ptr<WebRequest> fetch(const QUrl& url, const Options& options, Done done) override
    {
        auto pending = std::make_shared<Pending>(Pending { url, std::move(done), options });
        requests.append(pending);
        return std::make_unique<Handle>(pending);
    }

    // Answers the oldest request still waiting; false when there is none.
    bool answer(const Response& response)
    {
        for (const auto& pending : requests) {
            if (!pending->abandoned && pending->done) {
                const Done done = std::move(pending->done);
                pending->done = nullptr;
                done(response);
                return true;
            }
        }
        return false;
    }

    QList<std::shared_ptr<Pending>> requests;

private:
    class Handle final : public WebRequest {
    public:
        explicit Handle(std::shared_ptr<Pending> pending)
            : m_pending(std::move(pending))
        {
        }
        ~Handle() override
        {
            if (m_pending->done)
                m_pending->abandoned = true;
            m_pending->done = nullptr;
        }

    private:
        std::shared_ptr<Pending> m_pending;
    };
};

}
