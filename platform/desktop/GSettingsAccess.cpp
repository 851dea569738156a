#include "platform/desktop/GSettingsAccess.h"

#include <gio/gio.h>

#include <string>

namespace velvane {

namespace {

// The schema, or null when it is not installed; the caller unrefs it.
GSettingsSchema* LookupSchema(const String& schema)
{
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (!source) return nullptr;
    return g_settings_schema_source_lookup(source, schema.c_str(), TRUE);
}

} // namespace

bool GSettingsHasKey(const String& schema, const String& key)
{
    GSettingsSchema* s = LookupSchema(schema);
    if (!s) return false;
    const bool has = g_settings_schema_has_key(s, key.c_str());
    g_settings_schema_unref(s);
    return has;
}

bool GSettingsSetString(const String& schema, const String& key, const String& value)
{
    GSettingsSchema* s = LookupSchema(schema);
    if (!s) return false;
    bool ok = false;
    if (g_settings_schema_has_key(s, key.c_str())) {
        GSettingsSchemaKey* k = g_settings_schema_get_key(s, key.c_str());
        // Writing a string to a key of another type would abort inside GIO.
        const bool isString = g_variant_type_equal(g_settings_schema_key_get_value_type(k), G_VARIANT_TYPE_STRING);
        g_settings_schema_key_unref(k);
        if (isString) {
            GSettings* settings = g_settings_new_full(s, nullptr, nullptr);
            ok = g_settings_set_string(settings, key.c_str(), value.c_str());
            g_settings_sync();
            g_object_unref(settings);
        }
    }
    g_settings_schema_unref(s);
    return ok;
}

std::optional<String> GSettingsGetText(const String& schema, const String& key)
{
    GSettingsSchema* s = LookupSchema(schema);
    if (!s) return std::nullopt;
    std::optional<String> result;
    if (g_settings_schema_has_key(s, key.c_str())) {
        GSettings* settings = g_settings_new_full(s, nullptr, nullptr);
        GVariant* value = g_settings_get_value(settings, key.c_str());
        if (g_variant_is_of_type(value, G_VARIANT_TYPE_STRING))
            result = g_variant_get_string(value, nullptr);
        else if (g_variant_is_of_type(value, G_VARIANT_TYPE_INT32))
            result = std::to_string(g_variant_get_int32(value));
        g_variant_unref(value);
        g_object_unref(settings);
    }
    g_settings_schema_unref(s);
    return result;
}

} // namespace velvane
