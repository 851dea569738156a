#pragma once
// Runs an external program from an argument vector, never through a shell.

#include "platform/rtl/Types.h"

#include <vector>

namespace velvane {

// The program is looked up in PATH. Returns its exit code, or -1 when it
// could not be started or was killed. Standard output goes to *output when
// given (and is discarded otherwise); standard input is empty.
int RunProgram(const String& program, const std::vector<String>& args, String* output = nullptr);

} // namespace velvane
