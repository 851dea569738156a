#pragma once
// The help command. There is no WinHelp on Linux: the help file is handed to
// the desktop's handler for it, and when the file is missing the user is told
// so in a box instead of being left with nothing.

#include "platform/rtl/Types.h"
#include "platform/win/Windows.h"
#include "platform/win/WinTypes.h"

#include <cstdint>
#include <functional>

namespace velvane {

using ULONG_PTR = std::uintptr_t;

constexpr UINT HELP_CONTEXT = 0x0001;
constexpr UINT HELP_QUIT = 0x0002;
constexpr UINT HELP_INDEX = 0x0003;
constexpr UINT HELP_CONTENTS = 0x0003;
constexpr UINT HELP_HELPONHELP = 0x0004;
constexpr UINT HELP_SETINDEX = 0x0005;
constexpr UINT HELP_SETCONTENTS = 0x0005;
constexpr UINT HELP_CONTEXTPOPUP = 0x0008;
constexpr UINT HELP_FORCEFILE = 0x0009;
constexpr UINT HELP_FINDER = 0x000B;
constexpr UINT HELP_KEY = 0x0101;
constexpr UINT HELP_COMMAND = 0x0102;
constexpr UINT HELP_PARTIALKEY = 0x0105;

// A name without a folder is looked for in the program folder. HELP_QUIT
// does nothing; every other command opens the file, since a context or key
// cannot be passed on to an outside viewer. FALSE with the last error set
// when the file is missing (ERROR_FILE_NOT_FOUND, after an information box)
// or nothing could open it (ERROR_NO_ASSOCIATION, after a box too).
BOOL WinHelpA(HWND window, LPCSTR helpFile, UINT command, ULONG_PTR data);

// Opens a file with the desktop's handler; true when it was taken.
using HelpOpener = std::function<bool(const String& path)>;
// Replaces the opener (tests); an empty one restores the desktop's. Returns
// the one it replaced.
HelpOpener SetHelpOpener(HelpOpener opener);

} // namespace velvane
