#pragma once
// File helpers. Files the programs replace are written whole to a temporary
// name beside the target and renamed over it, so a failure never leaves a
// half-written file behind.

#include "platform/rtl/Types.h"

#include <functional>
#include <string_view>

namespace velvane {

bool FileExists(const String& path);
bool DirectoryExists(const String& path);
bool DeleteFile(const String& path);
// Creates the folder and its parents; true when it exists afterwards.
bool ForceDirectories(const String& path);
String ExtractFilePath(const String& path);  // up to and with the last '/'
String ExtractFileName(const String& path);
String ExtractFileExt(const String& path);   // with the dot, or empty
String IncludeTrailingPathDelimiter(const String& path);

// Writes the bytes to a unique temporary file in the target's folder, flushes
// it and renames it over the target. Raises EFCreateError (the file could not
// be created) or EWriteError naming the file; the old file is then untouched.
void AtomicWriteFile(const String& path, std::string_view bytes);
// Takes the file's bytes piece by piece, in order.
using TByteSink = std::function<void(std::string_view piece)>;
// The same, with the bytes handed to write by produce as it makes them, so a
// large file needs no buffer of its size. Whatever produce raises leaves the
// old file untouched and no temporary file behind.
void AtomicWriteFile(const String& path, const std::function<void(const TByteSink& write)>& produce);
// The whole file; raises EFOpenError naming the file.
String ReadFileBytes(const String& path);

} // namespace velvane
