#pragma once
// Thin wrappers over POSIX file calls that retry on EINTR and finish short
// transfers, and the error texts the file errors carry. Used by the file
// helpers and the file stream only.

#include "platform/rtl/Types.h"

#include <cstdint>

namespace velvane::posix {

// open(2) with O_CLOEXEC added, retried on EINTR; -1 with errno on failure.
int Open(const String& path, int flags, unsigned mode = 0);
// Moves up to count bytes, looping over short transfers. Returns the bytes
// moved; when fewer than count, errno says why (0 for end of file).
std::int64_t ReadFully(int fd, void* buffer, std::int64_t count);
std::int64_t WriteFully(int fd, const void* buffer, std::int64_t count);
// close(2) that treats EINTR as closed (Linux releases the descriptor anyway).
int Close(int fd);

// The messages of a failed file call, naming the path and the reason (the
// errno value), in the programs' language.
String CannotCreate(const String& path, int err);
String CannotOpen(const String& path, int err);
String CannotWrite(const String& path, int err);
String CannotRead(const String& path, int err);

} // namespace velvane::posix
