#pragma once
// ShellExecuteA for what the programs hand to the shell: web addresses,
// mailboxes and files of their own (the help file). They go to the desktop's
// URL handler; anything else is refused, so text from a downloaded settings
// file can never make the desktop run something.

#include "platform/win/Modules.h"
#include "platform/win/Windows.h"

#include <functional>

class QUrl;

namespace velvane {

using HINSTANCE = HINSTANCE__*;

// Failure values of ShellExecuteA (success gives a value above 32).
constexpr int SE_ERR_FNF = 2;
constexpr int SE_ERR_PNF = 3;
constexpr int SE_ERR_ACCESSDENIED = 5;
constexpr int SE_ERR_NOASSOC = 31;


// Opens file with the "open" verb (no verb means "open" too):
// - "http://", "https://" and "www." addresses ("http://" is put in front
//   of the last), and "mailto:" addresses;
// - an existing local file, as a path or a "file:" address, relative paths
//   taken from directory when given.
// Parameters are not passed on, and the show command is the handler's.
// Refusals: SE_ERR_NOASSOC for another verb, another scheme, a malformed
// address or a handler that fails; SE_ERR_FNF for an empty text or a missing
// file; SE_ERR_ACCESSDENIED for a file that cannot be read or that is a
// program. The last error is set either way (ERROR_SUCCESS on success).
HINSTANCE ShellExecuteA(HWND parent, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                        int showCommand);

// True when an address is handed to ShellExecuteA; false when it fails.
using ShellOpener = std::function<bool(const QUrl&)>;
// Replaces the desktop's URL handler (tests record instead of opening);
// an empty opener puts the desktop's back. Main thread only.
void SetShellOpener(ShellOpener opener);

} // namespace velvane
