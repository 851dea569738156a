#pragma once
// One method call on the session bus with string arguments.

#include "platform/rtl/Types.h"

#include <vector>

namespace velvane {

// False when there is no session bus, the service is missing or the call
// answered with an error.
bool CallSessionBus(const String& service, const String& path, const String& interface,
                    const String& method, const std::vector<String>& args);

} // namespace velvane
