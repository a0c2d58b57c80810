#include "Platform/Xdg/GSettingsMotionPreference.h"

#include <gio/gio.h>

#include <QByteArray>
#include <QtGlobal>

namespace Quickhalo {

namespace {
constexpr char schemaId[] = "org.gnome.desktop.interface";
constexpr char animationsKey[] = "enable-animations";
}

GSettingsMotionPreference::GSettingsMotionPreference()
{
    // g_settings_new aborts the process for a schema that is not installed, so look first.
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (!source)
        return;
    GSettingsSchema* schema = g_settings_schema_source_lookup(source, schemaId, TRUE);
    if (!schema)
        return;
    if (g_settings_schema_has_key(schema, animationsKey))
        m_settings = g_settings_new_full(schema, nullptr, nullptr);
    g_settings_schema_unref(schema);
}

GSettingsMotionPreference::~GSettingsMotionPreference()
{
    if (m_settings)
        g_object_unref(m_settings);
}

bool GSettingsMotionPreference::prefersReducedMotion() const
{
    const QByteArray forced = qgetenv("QUICKHALO_REDUCE_MOTION");
    if (forced == "1")
        return true;
    if (forced == "0")
        return false;
    return m_settings && !g_settings_get_boolean(m_settings, animationsKey);
}

}
