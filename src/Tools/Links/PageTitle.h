#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

namespace Quickhalo {

class WebRequest;
class WebRequests;

// A web page's own name, from the start of its HTML.
namespace PageTitle {

// Only so much of a page is read for its title.
constexpr qint64 maxBytes = 65536;
constexpr int timeoutMs = 3000;
constexpr int maxRedirects = 5;

// The text of the first <title> element, its character references decoded once (as a browser
// shows them) and its white space collapsed; nothing when there is none or it is blank.
std::optional<QString> extract(QStringView html);

// The page's bytes as text, in the charset its Content-Type header or its <meta> declares; without
// one, UTF-8 when the bytes are UTF-8 and windows-1252 otherwise, as browsers read such pages.
// `cut`: the bytes stop at the read limit, perhaps inside a character.
QString decode(const QByteArray& bytes, const QByteArray& contentType, bool cut);

// Downloads the start of the page and answers with its title, or nothing (no answer in time, not
// a page, a redirect elsewhere than http or https, more than five of them). Destroying the
// handle abandons it.
std::unique_ptr<WebRequest> fetch(
    WebRequests& web, const QUrl& url, std::function<void(std::optional<QString>)> done);

}

}
