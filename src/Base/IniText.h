#pragma once

#include <QByteArray>
#include <QVariantMap>

#include <optional>

namespace Quickhalo::IniText {

// The INI dialect of QSettings, between bytes and values, so that the file keeps exactly the form
// Quickhalo has always written. Keys of other sections read as "section/key".
QVariantMap parse(const QByteArray& bytes);
// Nothing when the text could not be made (no scratch folder).
std::optional<QByteArray> serialize(const QVariantMap& values);

}
