#pragma once

#include "Base/Preferences.h"
#include "Config/ConfigStore.h"

namespace Quickhalo::Testing {

// Migrations would add rings of their own to a test's rings: they count as done before the store
// is made.
inline Preferences& migrated(Preferences& preferences)
{
    for (const QString& key : ConfigStore::migrationFlags())
        preferences.setFlag(key, true);
    return preferences;
}

}
