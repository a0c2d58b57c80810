#include "App/CheckConfig.h"

namespace Quickhalo::CheckConfig {

int run(const QString& filePath, const ConfigStore::DefaultFactory& makeDefault, QTextStream& out, QTextStream& err)
{
    const ConfigStore::Loaded loaded = ConfigStore::load(filePath);
    switch (loaded.outcome) {
    case ConfigStore::Loaded::Outcome::unreadable:
        err << filePath << ": cannot be read: " << loaded.reason << Qt::endl;
        return unreadable;
    case ConfigStore::Loaded::Outcome::rejected:
        err << filePath << ": rejected, the default rings would be used instead: " << loaded.reason << Qt::endl;
        out << QString::fromUtf8(ConfigCodec::encode(makeDefault()));
        out.flush();
        return rejected;
    case ConfigStore::Loaded::Outcome::used:
        break;
    }

    for (const auto& dropped : loaded.details.droppedEntries) {
        const bool beyondSlots = static_cast<std::size_t>(dropped.entryNumber) > RingPage::slotCount;
        err << filePath << ": ring \"" << dropped.ringName << "\", " << (beyondSlots ? "entry " : "slot ")
            << dropped.entryNumber << ": " << dropped.reason
            << (beyondSlots ? "" : " (read as an empty slot)") << Qt::endl;
    }
    out << QString::fromUtf8(ConfigCodec::encode(loaded.config));
    out.flush();
    return usable;
}

}
