#pragma once

#include "Config/Models.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <optional>
#include <vector>

namespace Quickhalo::ConfigCodec {

// A slot entry that was read as empty (or, past the eighth, ignored), and why.
struct DroppedEntry {
    QString ringName;
    int entryNumber = 0; // 1-based position in the ring's "slices" array; above 8 means ignored
    QString reason;
};

struct DecodeResult {
    std::optional<QuickhaloConfig> config; // nothing when the file is rejected as a whole
    QString error;                         // why it was rejected
    std::vector<DroppedEntry> droppedEntries;
};

// Reads the configuration file's text. A bad slot becomes an empty slot and the reading goes on;
// anything wrong outside the slot entries rejects the whole file.
DecodeResult decode(const QByteArray& json);

QJsonObject toJson(const QuickhaloConfig& config);

// Pretty-printed, keys sorted at every level, exactly eight entries per ring.
QByteArray encode(const QuickhaloConfig& config);

// Strict 36-character UUID text (8-4-4-4-12 hexadecimal digits, either case).
std::optional<QUuid> parseUuid(const QString& text);
QString uuidText(const QUuid& id);

}
