#include "Config/ConfigCodec.h"

#include "ConfigTestData.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Quickhalo;
using Quickhalo::Testing::everyKindConfig;
using Quickhalo::Testing::ringWithEntry;

namespace {

QuickhaloConfig decodeOrFail(const QByteArray& json)
{
    auto result = ConfigCodec::decode(json);
    EXPECT_TRUE(result.config.has_value()) << result.error.toStdString();
    return result.config.value_or(QuickhaloConfig {});
}

}

TEST(ConfigCodec, RoundTripIsExact)
{
    const QuickhaloConfig original = everyKindConfig();
    const QByteArray encoded = ConfigCodec::encode(original);
    EXPECT_EQ(decodeOrFail(encoded), original);
    // A second trip gives the same bytes: the written form is canonical.
    EXPECT_EQ(ConfigCodec::encode(decodeOrFail(encoded)), encoded);
}

TEST(ConfigCodec, WritesTheDocumentedShape)
{
    QuickhaloConfig config;
    RingPage ring { QUuid(QStringLiteral("{a1b2c3d4-e5f6-4711-8899-aabbccddeeff}")), QStringLiteral("Tools"), {} };
    ring.slices[0] = Slice { QUuid(QStringLiteral("{00000000-0000-4000-8000-00000000000a}")), QStringLiteral("Clipboard"),
        QStringLiteral("doc.on.clipboard"), Actions::Builtin { BuiltinTool::clipboard } };
    ring.slices[1] = Slice::forPosition(WindowPosition::leftHalf);
    config.rings.push_back(ring);

    const QByteArray encoded = ConfigCodec::encode(config);
    const QJsonObject top = QJsonDocument::fromJson(encoded).object();
    ASSERT_EQ(top.keys(), QStringList { QStringLiteral("rings") });
    const QJsonObject written = top.value(QLatin1String("rings")).toArray().at(0).toObject();
    EXPECT_EQ(written.value(QLatin1String("id")).toString(), QStringLiteral("A1B2C3D4-E5F6-4711-8899-AABBCCDDEEFF"));
    EXPECT_EQ(written.value(QLatin1String("name")).toString(), QStringLiteral("Tools"));

    const QJsonArray slices = written.value(QLatin1String("slices")).toArray();
    ASSERT_EQ(slices.size(), 8);
    const QJsonObject clipboard = slices.at(0).toObject();
    EXPECT_EQ(clipboard.value(QLatin1String("id")).toString(), QStringLiteral("00000000-0000-4000-8000-00000000000A"));
    EXPECT_EQ(clipboard.value(QLatin1String("kind")).toObject(),
        (QJsonObject { { QLatin1String("builtin"), QJsonObject { { QLatin1String("_0"), QLatin1String("clipboard") } } } }));
    EXPECT_EQ(clipboard.value(QLatin1String("symbol")).toString(), QStringLiteral("doc.on.clipboard"));
    EXPECT_EQ(clipboard.value(QLatin1String("title")).toString(), QStringLiteral("Clipboard"));
    EXPECT_EQ(slices.at(1).toObject().value(QLatin1String("kind")).toObject(),
        (QJsonObject { { QLatin1String("snap"), QJsonObject { { QLatin1String("_0"), QLatin1String("leftHalf") } } } }));
    for (qsizetype i = 2; i < 8; ++i)
        EXPECT_TRUE(slices.at(i).isNull()) << i;

    // Keys are sorted in the text itself, not only after parsing.
    const qsizetype id = encoded.indexOf("\"id\": \"00000000");
    const qsizetype kind = encoded.indexOf("\"kind\"");
    const qsizetype symbol = encoded.indexOf("\"symbol\": \"doc.on.clipboard\"");
    const qsizetype title = encoded.indexOf("\"title\": \"Clipboard\"");
    EXPECT_TRUE(id >= 0 && id < kind && kind < symbol && symbol < title) << encoded.constData();
    EXPECT_LT(encoded.indexOf("\"id\": \"A1B2"), encoded.indexOf("\"name\": \"Tools\""));
    EXPECT_LT(encoded.indexOf("\"name\": \"Tools\""), encoded.indexOf("\"slices\""));
}

TEST(ConfigCodec, PayloadLabelsOfEveryKind)
{
    struct Case {
        ActionKind kind;
        const char* expected;
    } cases[] = {
        { Actions::Builtin { BuiltinTool::timer }, R"({"builtin":{"_0":"timer"}})" },
        { Actions::App { QStringLiteral("/usr/bin/xterm") }, R"({"app":{"path":"/usr/bin/xterm"}})" },
        { Actions::Url { QStringLiteral("https://x.org") }, R"({"url":{"_0":"https://x.org"}})" },
        { Actions::Shortcut { QStringLiteral("Go") }, R"({"shortcut":{"name":"Go"}})" },
        { Actions::Shell { QStringLiteral("open ~/Downloads") }, R"({"shell":{"command":"open ~/Downloads"}})" },
        { Actions::Snap { WindowPosition::maximize }, R"({"snap":{"_0":"maximize"}})" },
    };
    for (const auto& c : cases) {
        QuickhaloConfig config { { RingPage { QUuid::createUuid(), QStringLiteral("R"), {} } } };
        config.rings[0].slices[0] = Slice { QUuid::createUuid(), QStringLiteral("t"), QStringLiteral("s"), c.kind };
        const QJsonObject kind = ConfigCodec::toJson(config)
                                     .value(QLatin1String("rings")).toArray().at(0).toObject()
                                     .value(QLatin1String("slices")).toArray().at(0).toObject()
                                     .value(QLatin1String("kind")).toObject();
        EXPECT_EQ(kind, QJsonDocument::fromJson(c.expected).object()) << c.expected;
        EXPECT_EQ(decodeOrFail(ConfigCodec::encode(config)), config) << c.expected;
    }
}

TEST(ConfigCodec, ReadsAnyKeyOrderWhitespaceAndLowerCaseUuids)
{
    const QByteArray json = "\n\t{ \"rings\" : [ { \"slices\" : [ null , { \"title\":\"T\", \"symbol\":\"s\",\r\n"
                            "\"kind\": {\"url\": {\"_0\": \"https:\\/\\/a.b\"}}, \"id\": \"0f1e2d3c-4b5a-4968-8776-a5b4c3d2e1f0\" } ],"
                            " \"name\": \"N\", \"id\": \"6a1f0c52-6b3e-4a8e-9c1d-2f3b4a5c6d7e\" } ] }  ";
    const QuickhaloConfig config = decodeOrFail(json);
    ASSERT_EQ(config.rings.size(), 1u);
    ASSERT_TRUE(config.rings[0].slices[1].has_value());
    EXPECT_EQ(config.rings[0].slices[1]->kind, ActionKind(Actions::Url { QStringLiteral("https://a.b") }));
    EXPECT_TRUE(ConfigCodec::encode(config).contains("\"6A1F0C52-6B3E-4A8E-9C1D-2F3B4A5C6D7E\""));
}

// A bad entry in slot 0 is read as an empty slot; slot 1 stays intact.
TEST(ConfigCodec, BadSlotBecomesEmptyAndTheRestSurvives)
{
    const QByteArray id = R"("id":"11111111-2222-4333-8444-555555555555")";
    const QByteArray rest = R"("symbol":"s","title":"t")";
    struct Case {
        const char* name;
        QByteArray entry;
        const char* reason; // part of the reported reason
    } cases[] = {
        { "number", "42", "not a slice object" },
        { "text", "\"clipboard\"", "not a slice object" },
        { "array", "[]", "not a slice object" },
        { "missing id", "{" + rest + R"(,"kind":{"builtin":{"_0":"notes"}}})", "missing \"id\"" },
        { "id not a UUID", R"({"id":"not-a-uuid",)" + rest + R"(,"kind":{"builtin":{"_0":"notes"}}})", "not a UUID" },
        { "id in braces", R"({"id":"{11111111-2222-4333-8444-555555555555}",)" + rest + R"(,"kind":{"builtin":{"_0":"notes"}}})", "not a UUID" },
        { "id a number", R"({"id":7,)" + rest + R"(,"kind":{"builtin":{"_0":"notes"}}})", "\"id\" is not text" },
        { "title missing", "{" + id + R"(,"symbol":"s","kind":{"builtin":{"_0":"notes"}}})", "missing \"title\"" },
        { "title null", "{" + id + R"(,"symbol":"s","title":null,"kind":{"builtin":{"_0":"notes"}}})", "\"title\" is not text" },
        { "symbol a number", "{" + id + R"(,"symbol":1,"title":"t","kind":{"builtin":{"_0":"notes"}}})", "\"symbol\" is not text" },
        { "kind missing", "{" + id + "," + rest + "}", "missing \"kind\"" },
        { "kind not an object", "{" + id + "," + rest + R"(,"kind":"builtin"})", "\"kind\" is not an object" },
        { "kind empty", "{" + id + "," + rest + R"(,"kind":{}})", "Invalid number of keys found, expected one." },
        { "two recognised cases", "{" + id + "," + rest + R"(,"kind":{"app":{"path":"/a"},"url":{"_0":"x"}}})",
            "Invalid number of keys found, expected one." },
        { "unknown case only", "{" + id + "," + rest + R"(,"kind":{"teleport":{"_0":"x"}}})",
            "Invalid number of keys found, expected one." },
        { "unknown tool", "{" + id + "," + rest + R"(,"kind":{"builtin":{"_0":"espresso"}}})", "unknown tool \"espresso\"" },
        { "tool in wrong case", "{" + id + "," + rest + R"(,"kind":{"builtin":{"_0":"Clipboard"}}})", "unknown tool" },
        { "tool payload missing", "{" + id + "," + rest + R"(,"kind":{"builtin":{}}})", "missing \"_0\"" },
        { "tool payload not an object", "{" + id + "," + rest + R"(,"kind":{"builtin":"notes"}})", "payload is not an object" },
        { "app labelled wrongly", "{" + id + "," + rest + R"(,"kind":{"app":{"_0":"/a"}}})", "missing \"path\"" },
        { "shell command a number", "{" + id + "," + rest + R"(,"kind":{"shell":{"command":3}}})", "is not text" },
        { "shortcut without name", "{" + id + "," + rest + R"(,"kind":{"shortcut":{"title":"x"}}})", "missing \"name\"" },
        { "unknown position", "{" + id + "," + rest + R"(,"kind":{"snap":{"_0":"upsideDown"}}})", "unknown window position" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = ConfigCodec::decode(ringWithEntry(c.entry));
        ASSERT_TRUE(result.config.has_value()) << result.error.toStdString();
        const RingPage& ring = result.config->rings.at(0);
        EXPECT_FALSE(ring.slices[0].has_value());
        ASSERT_TRUE(ring.slices[1].has_value());
        EXPECT_EQ(ring.slices[1]->kind, ActionKind(Actions::Builtin { BuiltinTool::clipboard }));
        ASSERT_EQ(result.droppedEntries.size(), 1u);
        EXPECT_EQ(result.droppedEntries[0].ringName, QStringLiteral("R"));
        EXPECT_EQ(result.droppedEntries[0].entryNumber, 1);
        EXPECT_TRUE(result.droppedEntries[0].reason.contains(QString::fromUtf8(c.reason)))
            << result.droppedEntries[0].reason.toStdString();
    }
}

TEST(ConfigCodec, UnrecognisedKeysAreIgnoredAndDroppedOnWrite)
{
    const QByteArray entry = R"({"id":"11111111-2222-4333-8444-555555555555","symbol":"s","title":"t","colour":"red",)"
                             R"("kind":{"app":{"path":"/usr/bin/xterm","args":["-e"]},"favourite":true}})";
    const auto result = ConfigCodec::decode(ringWithEntry(entry));
    ASSERT_TRUE(result.config.has_value());
    EXPECT_TRUE(result.droppedEntries.empty());
    const auto& slot = result.config->rings[0].slices[0];
    ASSERT_TRUE(slot.has_value());
    EXPECT_EQ(slot->kind, ActionKind(Actions::App { QStringLiteral("/usr/bin/xterm") }));
    const QByteArray rewritten = ConfigCodec::encode(*result.config);
    EXPECT_FALSE(rewritten.contains("colour"));
    EXPECT_FALSE(rewritten.contains("favourite"));
    EXPECT_FALSE(rewritten.contains("args"));
}

TEST(ConfigCodec, RingsAreNormalisedToEightSlots)
{
    auto ringOf = [](int entries, const char* filler) -> QByteArray {
        QByteArray slices;
        for (int i = 0; i < entries; ++i)
            slices += (i ? "," : "") + QByteArray(filler);
        return R"({"rings":[{"id":"6A1F0C52-6B3E-4A8E-9C1D-2F3B4A5C6D7E","name":"R","slices":[)" + slices + "]}]}";
    };
    const QByteArray slice = R"({"id":"11111111-2222-4333-8444-555555555555","symbol":"s","title":"t","kind":{"builtin":{"_0":"notes"}}})";

    const auto ten = ConfigCodec::decode(ringOf(10, slice.constData()));
    ASSERT_TRUE(ten.config);
    for (const auto& slot : ten.config->rings[0].slices)
        EXPECT_TRUE(slot.has_value());
    ASSERT_EQ(ten.droppedEntries.size(), 2u); // entries 9 and 10 are reported as ignored
    EXPECT_EQ(ten.droppedEntries[0].entryNumber, 9);
    EXPECT_EQ(ten.droppedEntries[1].entryNumber, 10);

    const auto three = ConfigCodec::decode(ringOf(3, slice.constData()));
    ASSERT_TRUE(three.config);
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_EQ(three.config->rings[0].slices[i].has_value(), i < 3) << i;

    const auto nulls = ConfigCodec::decode(ringOf(12, "null"));
    ASSERT_TRUE(nulls.config);
    EXPECT_TRUE(nulls.droppedEntries.empty()) << "trailing empty slots lose nothing";

    const auto none = ConfigCodec::decode(ringOf(0, ""));
    ASSERT_TRUE(none.config);
    EXPECT_EQ(ConfigCodec::toJson(*none.config).value(QLatin1String("rings")).toArray().at(0).toObject()
                  .value(QLatin1String("slices")).toArray().size(),
        8);
}

TEST(ConfigCodec, WholeFileFailures)
{
    const QByteArray goodRing = R"({"id":"6A1F0C52-6B3E-4A8E-9C1D-2F3B4A5C6D7E","name":"R","slices":[]})";
    struct Case {
        const char* name;
        QByteArray json;
        const char* reason;
    } cases[] = {
        { "empty", "", "not valid JSON" },
        { "truncated", R"({"rings":[{"id":"6A1F0C52-6B3E)", "not valid JSON" },
        { "top level array", "[" + goodRing + "]", "top level is not an object" },
        { "top level text", "\"rings\"", "not valid JSON" },
        { "rings missing", R"({"ring":[]})", "missing \"rings\"" },
        { "rings an object", R"({"rings":{}})", "\"rings\" is not an array" },
        { "rings null", R"({"rings":null})", "\"rings\" is not an array" },
        { "ring not an object", R"({"rings":[)" + goodRing + ",5]}", "ring 2 is not an object" },
        { "ring without name", R"({"rings":[{"id":"6A1F0C52-6B3E-4A8E-9C1D-2F3B4A5C6D7E","slices":[]}]})", "missing \"name\"" },
        { "ring name a number", R"({"rings":[{"id":"6A1F0C52-6B3E-4A8E-9C1D-2F3B4A5C6D7E","name":3,"slices":[]}]})", "not text" },
        { "ring without id", R"({"rings":[{"name":"R","slices":[]}]})", "missing \"id\"" },
        { "ring id not a UUID", R"({"rings":[{"id":"6A1F0C526B3E4A8E9C1D2F3B4A5C6D7E","name":"R","slices":[]}]})", "not a UUID" },
        { "ring without slices", R"({"rings":[{"id":"6A1F0C52-6B3E-4A8E-9C1D-2F3B4A5C6D7E","name":"R"}]})", "missing \"slices\"" },
        { "slices an object", R"({"rings":[{"id":"6A1F0C52-6B3E-4A8E-9C1D-2F3B4A5C6D7E","name":"R","slices":{}}]})", "not an array" },
        { "invalid UTF-8", R"({"rings":[{"id":"6A1F0C52-6B3E-4A8E-9C1D-2F3B4A5C6D7E","name":")" + QByteArray("\xC3\x28\xFF") + R"(","slices":[]}]})", "not valid JSON" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = ConfigCodec::decode(c.json);
        EXPECT_FALSE(result.config.has_value());
        EXPECT_TRUE(result.error.contains(QString::fromUtf8(c.reason))) << result.error.toStdString();
    }
}

TEST(ConfigCodec, UuidTextIsStrict)
{
    struct Case {
        const char* text;
        bool valid;
    } cases[] = {
        { "6A1F0C52-6B3E-4A8E-9C1D-2F3B4A5C6D7E", true },
        { "6a1f0c52-6b3e-4a8e-9c1d-2f3b4a5c6d7e", true },
        { "00000000-0000-0000-0000-000000000000", true },
        { "6A1F0C52-6B3E-4A8E-9C1D-2F3B4A5C6D7", false },
        { "6A1F0C52-6B3E-4A8E-9C1D-2F3B4A5C6D7EE", false },
        { "6A1F0C52_6B3E-4A8E-9C1D-2F3B4A5C6D7E", false },
        { "6A1F0C52-6B3E-4A8E-9C1D-2F3B4A5C6D7G", false },
        { "{6A1F0C52-6B3E-4A8E-9C1D-2F3B4A5C6D}", false },
        { "6A1F0C526B3E4A8E9C1D2F3B4A5C6D7E", false },
        { "", false },
    };
    for (const auto& c : cases) {
        const auto parsed = ConfigCodec::parseUuid(QString::fromLatin1(c.text));
        EXPECT_EQ(parsed.has_value(), c.valid) << c.text;
        if (parsed) {
            EXPECT_EQ(ConfigCodec::uuidText(*parsed), QString::fromLatin1(c.text).toUpper());
        }
    }
}
