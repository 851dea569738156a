// The GIO calls of the GSettings access, standing in for the library: it is
// opened at the first of them, so a program on a desktop without GSettings
// (or one that never sets a wallpaper) maps neither GIO nor GObject and what
// they pull in. GLib itself comes with Qt.

#include "platform/rtl/LazyLibrary.h"

#include <gio/gio.h>

#define GIO_FUNCTION(name) VELVANE_LAZY_FUNCTION("libgio-2.0.so.0", name)

extern "C" {

GSettingsSchemaSource* g_settings_schema_source_get_default()
{
    GIO_FUNCTION(g_settings_schema_source_get_default);
    return real();
}

GSettingsSchema* g_settings_schema_source_lookup(GSettingsSchemaSource* source, const gchar* id, gboolean recursive)
{
    GIO_FUNCTION(g_settings_schema_source_lookup);
    return real(source, id, recursive);
}

void g_settings_schema_unref(GSettingsSchema* schema)
{
    GIO_FUNCTION(g_settings_schema_unref);
    real(schema);
}

gboolean g_settings_schema_has_key(GSettingsSchema* schema, const gchar* name)
{
    GIO_FUNCTION(g_settings_schema_has_key);
    return real(schema, name);
}

GSettingsSchemaKey* g_settings_schema_get_key(GSettingsSchema* schema, const gchar* name)
{
    GIO_FUNCTION(g_settings_schema_get_key);
    return real(schema, name);
}

const GVariantType* g_settings_schema_key_get_value_type(GSettingsSchemaKey* key)
{
    GIO_FUNCTION(g_settings_schema_key_get_value_type);
    return real(key);
}

void g_settings_schema_key_unref(GSettingsSchemaKey* key)
{
    GIO_FUNCTION(g_settings_schema_key_unref);
    real(key);
}

GSettings* g_settings_new_full(GSettingsSchema* schema, GSettingsBackend* backend, const gchar* path)
{
    GIO_FUNCTION(g_settings_new_full);
    return real(schema, backend, path);
}

GVariant* g_settings_get_value(GSettings* settings, const gchar* key)
{
    GIO_FUNCTION(g_settings_get_value);
    return real(settings, key);
}

gboolean g_settings_set_string(GSettings* settings, const gchar* key, const gchar* value)
{
    GIO_FUNCTION(g_settings_set_string);
    return real(settings, key, value);
}

void g_settings_sync()
{
    GIO_FUNCTION(g_settings_sync);
    real();
}

// From GObject, which GIO brings.
void g_object_unref(gpointer object)
{
    GIO_FUNCTION(g_object_unref);
    real(object);
}

} // extern "C"
