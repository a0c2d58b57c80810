#include "Base/FileTrouble.h"

namespace Quickhalo {

FileTrouble& FileTrouble::shared()
{
    static FileTrouble instance;
    return instance;
}

void FileTrouble::report(const QString& key, const QString& title, const QString& body)
{
    if (m_reported.contains(key))
        return;
    m_reported.insert(key);
    if (m_presenter)
        m_presenter(title, body);
    else
        m_waiting.emplace_back(title, body);
}

void FileTrouble::setPresenter(Presenter presenter)
{
    m_presenter = std::move(presenter);
    if (!m_presenter)
        return;
    for (const auto& [title, body] : std::exchange(m_waiting, {}))
        m_presenter(title, body);
}

}
