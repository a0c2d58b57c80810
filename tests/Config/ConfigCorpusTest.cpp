#include "Config/ConfigCodec.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

using namespace Quickhalo;

namespace {

// Whatever the input, decoding returns; and whatever it accepts survives a round trip unchanged.
void checkDecoderOn(const QByteArray& bytes)
{
    const auto result = ConfigCodec::decode(bytes);
    if (!result.config) {
        EXPECT_FALSE(result.error.isEmpty());
        return;
    }
    for (const RingPage& ring : result.config->rings)
        EXPECT_EQ(ring.slices.size(), RingPage::slotCount);
    const auto again = ConfigCodec::decode(ConfigCodec::encode(*result.config));
    ASSERT_TRUE(again.config.has_value()) << again.error.toStdString();
    EXPECT_EQ(*again.config, *result.config);
    EXPECT_TRUE(again.droppedEntries.empty());
}

QByteArray sliceWithTitle(const QByteArray& title)
{
    return R"({"id":"11111111-2222-4333-8444-555555555555","symbol":"s","title":")" + title
        + R"(","kind":{"shell":{"command":"true"}}})";
}

}

TEST(ConfigCorpus, CommittedNastyFiles)
{
    const QDir corpus(QStringLiteral(QUICKHALO_SOURCE_DIR "/tests/data/config-corpus"));
    const QStringList files = corpus.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        QFile file(corpus.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        checkDecoderOn(file.readAll());
    }
}

TEST(ConfigCorpus, GeneratedHostileInputs)
{
    const QByteArray ringHead = R"({"rings":[{"id":"6A1F0C52-6B3E-4A8E-9C1D-2F3B4A5C6D7E","name":"R","slices":[)";
    QByteArray manyRings = R"({"rings":[)";
    for (int i = 0; i < 20000; ++i)
        manyRings += (i ? "," : "") + QByteArray(R"({"id":"6A1F0C52-6B3E-4A8E-9C1D-2F3B4A5C6D7E","name":"R","slices":[null]})");
    manyRings += "]}";

    struct Case {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        { "deep array nesting", QByteArray(200000, '[') + QByteArray(200000, ']') },
        { "deep object nesting", QByteArray("{\"a\":").repeated(100000) },
        { "huge title", ringHead + sliceWithTitle(QByteArray(8 * 1024 * 1024, 'x')) + "]}]}" },
        { "huge ring name", R"({"rings":[{"id":"6A1F0C52-6B3E-4A8E-9C1D-2F3B4A5C6D7E","name":")" + QByteArray(4 * 1024 * 1024, 'n') + R"(","slices":[]}]})" },
        { "many slots", ringHead + QByteArray("null,").repeated(200000) + "null]}]}" },
        { "many rings", manyRings },
        { "escaped everything", ringHead + sliceWithTitle(QByteArray("\\u00e9\\n\\t\\\"\\\\\\/").repeated(10000)) + "]}]}" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        checkDecoderOn(c.bytes);
    }
}
