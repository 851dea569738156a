#pragma once
// Runs an external program from an argument vector, never through a shell.

#include "platform/rtl/Types.h"

#include <chrono>
#include <vector>

namespace velvane {

// The program is looked up in PATH. Returns its exit code, or -1 when it
// could not be started, was killed, or did not end within the deadline (it
// is killed then). Standard output goes to *output when given (and is
// discarded otherwise); standard input is empty.
int RunProgram(const String& program, const std::vector<String>& args, String* output = nullptr,
               std::chrono::milliseconds deadline = std::chrono::seconds(10));

} // namespace velvane
