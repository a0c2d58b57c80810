#include "Tools/Links/PageTitle.h"

#include "Platform/WebRequests.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>

#include <array>

namespace Quickhalo::PageTitle {

namespace {

// What windows-1252 puts at 0x80-0x9F, where Latin-1 has control characters.
constexpr std::array<char16_t, 32> windows1252High { 0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178 };

QString windows1252(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        *out++ = value >= 0x80 && value < 0xA0 ? QChar(windows1252High[value - 0x80]) : QChar(char16_t { value });
    }
    return text;
}

// A cut page may end inside a character; those last bytes are not a fault of the page.
QByteArray withoutCutCharacter(const QByteArray& bytes)
{
    qsizetype start = bytes.size();
    for (int back = 1; back <= 3 && start > 0; ++back) {
        const auto value = static_cast<unsigned char>(bytes[start - 1]);
        if ((value & 0xC0) != 0x80) {
            // A lead byte: keep it only when the bytes after it complete it.
            const int needed = value >= 0xF0 ? 4 : value >= 0xE0 ? 3 : value >= 0xC0 ? 2 : 1;
            return needed > back ? bytes.left(start - 1) : bytes;
        }
        --start;
    }
    return bytes;
}

std::optional<QString> strictUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

QByteArray declaredCharset(const QByteArray& bytes, const QByteArray& contentType)
{
    static const QRegularExpression inHeader(
        QStringLiteral("charset\\s*=\\s*[\"']?([A-Za-z0-9_:.+-]+)"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression inMeta(QStringLiteral("<meta[^>]+charset\\s*=\\s*[\"']?([A-Za-z0-9_:.+-]+)"),
        QRegularExpression::CaseInsensitiveOption);
    QRegularExpressionMatch match = inHeader.match(QString::fromLatin1(contentType));
    if (!match.hasMatch())
        match = inMeta.match(QString::fromLatin1(bytes.left(4096)));
    return match.hasMatch() ? match.captured(1).toLower().toLatin1() : QByteArray();
}

QString decodeReference(QStringView name)
{
    static const QHash<QString, QChar> named {
        { QStringLiteral("amp"), u'&' }, { QStringLiteral("lt"), u'<' }, { QStringLiteral("gt"), u'>' },
        { QStringLiteral("quot"), u'"' }, { QStringLiteral("apos"), u'\'' }, { QStringLiteral("nbsp"), QChar(0xA0) },
        { QStringLiteral("ndash"), QChar(0x2013) }, { QStringLiteral("mdash"), QChar(0x2014) },
        { QStringLiteral("hellip"), QChar(0x2026) }, { QStringLiteral("lsquo"), QChar(0x2018) },
        { QStringLiteral("rsquo"), QChar(0x2019) }, { QStringLiteral("ldquo"), QChar(0x201C) },
        { QStringLiteral("rdquo"), QChar(0x201D) }, { QStringLiteral("laquo"), QChar(0xAB) },
        { QStringLiteral("raquo"), QChar(0xBB) }, { QStringLiteral("middot"), QChar(0xB7) },
        { QStringLiteral("bull"), QChar(0x2022) }, { QStringLiteral("copy"), QChar(0xA9) },
        { QStringLiteral("reg"), QChar(0xAE) }, { QStringLiteral("trade"), QChar(0x2122) },
    };
    if (name.startsWith(u'#')) {
        const bool hex = name.size() > 1 && (name[1] == u'x' || name[1] == u'X');
        bool ok = false;
        const uint code = name.mid(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
        if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return QString(QChar(QChar::ReplacementCharacter));
        const char32_t character = code;
        return QString::fromUcs4(&character, 1);
    }
    const auto found = named.constFind(name.toString());
    return found != named.constEnd() ? QString(*found) : QString();
}

// One pass, so that "&amp;lt;" stays the "&lt;" the page shows.
QString decodeReferences(QStringView text)
{
    static const QRegularExpression reference(QStringLiteral("&(#[0-9]{1,8}|#[xX][0-9a-fA-F]{1,7}|[A-Za-z]{2,8});"));
    QString result;
    result.reserve(text.size());
    qsizetype from = 0;
    QRegularExpressionMatchIterator matches = reference.globalMatch(text);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        const QString decoded = decodeReference(match.capturedView(1));
        if (decoded.isEmpty())
            continue; // not a reference we know: left as written
        result += text.mid(from, match.capturedStart() - from);
        result += decoded;
        from = match.capturedEnd();
    }
    result += text.mid(from);
    return result;
}

}

std::optional<QString> extract(QStringView html)
{
    static const QRegularExpression title(QStringLiteral("<title[^>]*>(.*?)</title>"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = title.match(html);
    if (!match.hasMatch())
        return std::nullopt;
    const QString text = decodeReferences(match.capturedView(1)).simplified();
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

QString decode(const QByteArray& bytes, const QByteArray& contentType, bool cut)
{
    const QByteArray whole = cut ? withoutCutCharacter(bytes) : bytes;
    if (const std::optional<QStringConverter::Encoding> bom = QStringConverter::encodingForData(bytes.left(4)))
        if (*bom != QStringConverter::Utf8 || bytes.startsWith("\xEF\xBB\xBF"))
            return QStringDecoder(*bom).decode(*bom == QStringConverter::Utf8 ? whole : bytes);
    const QByteArray charset = declaredCharset(bytes, contentType);
    if (charset == "utf-8" || charset == "utf8")
        return QStringDecoder(QStringDecoder::Utf8).decode(whole);
    static const QList<QByteArray> westernLabels { "iso-8859-1", "iso8859-1", "latin1", "l1", "us-ascii", "ascii",
        "windows-1252", "cp1252", "x-cp1252" };
    if (westernLabels.contains(charset))
        return windows1252(bytes);
    if (!charset.isEmpty()) {
        QStringDecoder declared(charset.constData());
        if (declared.isValid())
            return declared.decode(bytes);
    }
    if (const std::optional<QString> text = strictUtf8(whole))
        return *text;
    return windows1252(bytes);
}

std::unique_ptr<WebRequest> fetch(WebRequests& web, const QUrl& url, std::function<void(std::optional<QString>)> done)
{
    const WebRequests::Options options { .maxBytes = maxBytes,
        .keepStart = true,
        .timeoutMs = timeoutMs,
        .maxRedirects = maxRedirects,
        .userAgent = QByteArrayLiteral("Mozilla/5.0") };
    return web.fetch(url, options, [done = std::move(done)](const WebRequests::Response& response) {
        // A redirect that was not followed has a body about the redirect, not the page.
        if (!response.failure.isEmpty() || (response.status >= 300 && response.status < 400)) {
            done(std::nullopt);
            return;
        }
        done(extract(decode(response.body, response.contentType, response.cut)));
    });
}

}
