#pragma once
// The programs' temporary files, and the removal of those a killed program
// left behind. Two kinds are ours: the hidden ".<name>.XXXXXX" a save writes
// beside its target before renaming it over (AtomicWriteFile), and the
// "temp-XXXXXX.jpg" a download lands in. X stands for a letter or a digit.

#include "platform/rtl/Types.h"

#include <chrono>

namespace velvane {

// The mkstemp pattern of a save's temporary file beside target.
String SaveTempPattern(const String& target);
// A new empty download file in folder (with its trailing '/'); raises
// EFCreateError naming it.
String CreateDownloadTempFile(const String& folder);

// When this process began.
std::chrono::system_clock::time_point ProcessStartTime();

// Removes the temporary files of ours in folder, or only the save
// temporaries of the one file, that are regular files of this user last
// changed before olderThan. Nothing else is touched and nothing raises.
// Returns how many went.
int RemoveStaleTempFiles(const String& folder, std::chrono::system_clock::time_point olderThan);
int RemoveStaleTempFilesOf(const String& file, std::chrono::system_clock::time_point olderThan);

// A program's start: those of the program folder, and of the document it
// is about to open (when not empty), older than this process.
void RemoveStaleTempFilesAtStart(const String& document);

} // namespace velvane
