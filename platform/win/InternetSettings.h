#pragma once
// The browser's "ProxyServer" value, offered from the desktop's HTTP proxy
// (HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Internet
// Settings) when the settings store holds none there.

#include "platform/rtl/Types.h"
#include "platform/win/RegistryStore.h"

#include <optional>

namespace velvane {

// For the registry calls: whether the desktop provides the key (full path,
// "HKEY_CURRENT_USER\..."), and the value it provides there.
bool DesktopProvidesKey(const String& keyPath);
std::optional<RegistryStore::Value> DesktopProvidedValue(const String& keyPath, const String& valueName);

} // namespace velvane
