#include "Config/ConfigCodec.h"

#include "Base/JsonFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

namespace Quickhalo::ConfigCodec {

namespace {

// The stored case names, in the order of the ActionKind alternatives.
const std::array<QLatin1String, 6> kindKeys { QLatin1String("builtin"), QLatin1String("app"), QLatin1String("url"),
    QLatin1String("shortcut"), QLatin1String("shell"), QLatin1String("snap") };

const QLatin1String unlabelled("_0");

QString quoted(const QString& text) { return QLatin1Char('"') + text + QLatin1Char('"'); }

// A tiny error channel: the first failure's reason, then every later step is skipped.
template<typename T>
struct Read {
    std::optional<T> value;
    QString reason;
    static Read fail(QString why) { return Read { std::nullopt, std::move(why) }; }
};

Read<QString> readText(const QJsonObject& object, QLatin1String key, const QString& where = {})
{
    const QString place = where.isEmpty() ? quoted(key) : quoted(key) + QStringLiteral(" in ") + where;
    const auto it = object.constFind(key);
    if (it == object.constEnd())
        return Read<QString>::fail(QStringLiteral("missing ") + place);
    if (!it->isString())
        return Read<QString>::fail(place + QStringLiteral(" is not text"));
    return { it->toString(), {} };
}

Read<QUuid> readUuid(const QJsonObject& object)
{
    const auto text = readText(object, QLatin1String("id"));
    if (!text.value)
        return Read<QUuid>::fail(text.reason);
    if (auto id = parseUuid(*text.value))
        return { *id, {} };
    return Read<QUuid>::fail(QStringLiteral("\"id\" is not a UUID: ") + quoted(text.value->left(60)));
}

Read<ActionKind> readKind(const QJsonValue& value)
{
    if (!value.isObject())
        return Read<ActionKind>::fail(QStringLiteral("\"kind\" is not an object"));
    const QJsonObject object = value.toObject();

    std::optional<std::size_t> found;
    int recognised = 0;
    for (std::size_t i = 0; i < kindKeys.size(); ++i) {
        if (object.contains(kindKeys[i])) {
            ++recognised;
            found = i;
        }
    }
    if (recognised != 1)
        return Read<ActionKind>::fail(QStringLiteral("Invalid number of keys found, expected one."));

    const QLatin1String caseName = kindKeys[*found];
    const QJsonValue payloadValue = object.value(caseName);
    if (!payloadValue.isObject())
        return Read<ActionKind>::fail(quoted(caseName) + QStringLiteral(" payload is not an object"));
    const QJsonObject payload = payloadValue.toObject();
    const QString where = quoted(caseName);

    auto text = [&](QLatin1String label) { return readText(payload, label, where); };

    switch (*found) {
    case 0: {
        const auto raw = text(unlabelled);
        if (!raw.value)
            return Read<ActionKind>::fail(raw.reason);
        if (const auto tool = BuiltinTools::fromRawValue(*raw.value))
            return { Actions::Builtin { *tool }, {} };
        return Read<ActionKind>::fail(QStringLiteral("unknown tool ") + quoted(raw.value->left(60)));
    }
    case 1: {
        const auto path = text(QLatin1String("path"));
        if (!path.value)
            return Read<ActionKind>::fail(path.reason);
        return { Actions::App { *path.value }, {} };
    }
    case 2: {
        const auto address = text(unlabelled);
        if (!address.value)
            return Read<ActionKind>::fail(address.reason);
        return { Actions::Url { *address.value }, {} };
    }
    case 3: {
        const auto name = text(QLatin1String("name"));
        if (!name.value)
            return Read<ActionKind>::fail(name.reason);
        return { Actions::Shortcut { *name.value }, {} };
    }
    case 4: {
        const auto command = text(QLatin1String("command"));
        if (!command.value)
            return Read<ActionKind>::fail(command.reason);
        return { Actions::Shell { *command.value }, {} };
    }
    default: {
        const auto raw = text(unlabelled);
        if (!raw.value)
            return Read<ActionKind>::fail(raw.reason);
        if (const auto position = WindowPositions::fromRawValue(*raw.value))
            return { Actions::Snap { *position }, {} };
        return Read<ActionKind>::fail(QStringLiteral("unknown window position ") + quoted(raw.value->left(60)));
    }
    }
}

Read<Slice> readSlice(const QJsonValue& value)
{
    if (!value.isObject())
        return Read<Slice>::fail(QStringLiteral("not a slice object"));
    const QJsonObject object = value.toObject();

    const auto id = readUuid(object);
    if (!id.value)
        return Read<Slice>::fail(id.reason);
    const auto title = readText(object, QLatin1String("title"));
    if (!title.value)
        return Read<Slice>::fail(title.reason);
    const auto symbol = readText(object, QLatin1String("symbol"));
    if (!symbol.value)
        return Read<Slice>::fail(symbol.reason);
    if (!object.contains(QLatin1String("kind")))
        return Read<Slice>::fail(QStringLiteral("missing \"kind\""));
    const auto kind = readKind(object.value(QLatin1String("kind")));
    if (!kind.value)
        return Read<Slice>::fail(kind.reason);
    return { Slice { *id.value, *title.value, *symbol.value, *kind.value }, {} };
}

QJsonObject kindJson(const ActionKind& kind)
{
    const auto caseName = kindKeys[kind.index()];
    QJsonObject payload;
    std::visit(
        [&payload](const auto& action) {
            using T = std::decay_t<decltype(action)>;
            if constexpr (std::is_same_v<T, Actions::Builtin>)
                payload.insert(unlabelled, BuiltinTools::rawValue(action.tool));
            else if constexpr (std::is_same_v<T, Actions::App>)
                payload.insert(QLatin1String("path"), action.path);
            else if constexpr (std::is_same_v<T, Actions::Url>)
                payload.insert(unlabelled, action.address);
            else if constexpr (std::is_same_v<T, Actions::Shortcut>)
                payload.insert(QLatin1String("name"), action.name);
            else if constexpr (std::is_same_v<T, Actions::Shell>)
                payload.insert(QLatin1String("command"), action.command);
            else
                payload.insert(unlabelled, WindowPositions::rawValue(action.position));
        },
        kind);
    return QJsonObject { { caseName, payload } };
}

}

std::optional<QUuid> parseUuid(const QString& text)
{
    if (text.size() != 36)
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        const bool hyphenPlace = i == 8 || i == 13 || i == 18 || i == 23;
        const bool hex = (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
        if (hyphenPlace ? c != u'-' : !hex)
            return std::nullopt;
    }
    return QUuid::fromString(text);
}

QString uuidText(const QUuid& id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

DecodeResult decode(const QByteArray& json)
{
    DecodeResult result;
    auto reject = [&result](QString why) {
        result.config.reset();
        result.error = std::move(why);
        return result;
    };

    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return reject(QStringLiteral("not valid JSON (%1 at byte %2)").arg(parseError.errorString()).arg(parseError.offset));
    if (!document.isObject())
        return reject(QStringLiteral("the top level is not an object"));

    const QJsonObject top = document.object();
    const auto ringsValue = top.constFind(QLatin1String("rings"));
    if (ringsValue == top.constEnd())
        return reject(QStringLiteral("missing \"rings\""));
    if (!ringsValue->isArray())
        return reject(QStringLiteral("\"rings\" is not an array"));

    QuickhaloConfig config;
    const QJsonArray rings = ringsValue->toArray();
    config.rings.reserve(static_cast<std::size_t>(rings.size()));
    int ringNumber = 0;
    for (const QJsonValue& ringValue : rings) {
        ++ringNumber;
        const QString ringPlace = QStringLiteral("ring %1").arg(ringNumber);
        if (!ringValue.isObject())
            return reject(ringPlace + QStringLiteral(" is not an object"));
        const QJsonObject ring = ringValue.toObject();

        const auto id = readUuid(ring);
        if (!id.value)
            return reject(ringPlace + QStringLiteral(": ") + id.reason);
        const auto name = readText(ring, QLatin1String("name"));
        if (!name.value)
            return reject(ringPlace + QStringLiteral(": ") + name.reason);
        const auto slicesValue = ring.constFind(QLatin1String("slices"));
        if (slicesValue == ring.constEnd())
            return reject(ringPlace + QStringLiteral(": missing \"slices\""));
        if (!slicesValue->isArray())
            return reject(ringPlace + QStringLiteral(": \"slices\" is not an array"));

        const QJsonArray entries = slicesValue->toArray();
        std::vector<std::optional<Slice>> slices;
        slices.reserve(RingPage::slotCount);
        int entryNumber = 0;
        for (const QJsonValue& entry : entries) {
            ++entryNumber;
            if (static_cast<std::size_t>(entryNumber) > RingPage::slotCount) {
                if (!entry.isNull())
                    result.droppedEntries.push_back({ *name.value, entryNumber,
                        QStringLiteral("ignored: a ring holds eight slots") });
                continue;
            }
            if (entry.isNull()) {
                slices.emplace_back();
                continue;
            }
            auto slice = readSlice(entry);
            if (!slice.value)
                result.droppedEntries.push_back({ *name.value, entryNumber, slice.reason });
            slices.push_back(std::move(slice.value));
        }
        config.rings.push_back(RingPage { *id.value, *name.value, RingPage::normalised(slices) });
    }

    result.config = std::move(config);
    return result;
}

QJsonObject toJson(const QuickhaloConfig& config)
{
    QJsonArray rings;
    for (const RingPage& ring : config.rings) {
        QJsonArray slices;
        for (const auto& slot : ring.slices) {
            if (!slot) {
                slices.append(QJsonValue::Null);
                continue;
            }
            slices.append(QJsonObject {
                { QLatin1String("id"), uuidText(slot->id) },
                { QLatin1String("kind"), kindJson(slot->kind) },
                { QLatin1String("symbol"), slot->symbol },
                { QLatin1String("title"), slot->title },
            });
        }
        rings.append(QJsonObject {
            { QLatin1String("id"), uuidText(ring.id) },
            { QLatin1String("name"), ring.name },
            { QLatin1String("slices"), slices },
        });
    }
    return QJsonObject { { QLatin1String("rings"), rings } };
}

QByteArray encode(const QuickhaloConfig& config)
{
    return JsonFile::encode(toJson(config));
}

}
