#pragma once
// Named mutexes (CreateMutexA) as the programs use them: to tell whether
// another process of the same user already holds a mutex of that name.
//
// A name stands for a lock file in the user's runtime folder
// ($XDG_RUNTIME_DIR/velvane/, else /tmp/velvane-<uid>/); every handle to it
// holds a shared lock on that file, so the name exists exactly as long as
// some process has a handle open, and a process that dies lets go of it.

#include "platform/win/WinError.h"
#include "platform/win/WinTypes.h"

namespace velvane {

struct HANDLE__;
using HANDLE = HANDLE__*;
struct SECURITY_ATTRIBUTES;


// A handle to the mutex called name (any text; null for one without a name).
// The last error is ERROR_ALREADY_EXISTS when a handle to that name was
// already open, in this process or another, else 0. Ownership
// (initialOwner) is not tracked: nothing here waits on a mutex. Null with the
// last error set when the runtime folder cannot be used.
HANDLE CreateMutexA(SECURITY_ATTRIBUTES* attributes, BOOL initialOwner, LPCSTR name);
// FALSE with ERROR_INVALID_HANDLE for a handle that is not open.
BOOL CloseHandle(HANDLE handle);

} // namespace velvane
