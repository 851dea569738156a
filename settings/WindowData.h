#pragma once
// What a program's main window keeps as window data: its message table and
// settings lines, stored as resources of the program and shown in a hidden
// memo (the message table), read back by line.

#include "platform/rtl/Strings.h"
#include "platform/rtl/Types.h"

class QPlainTextEdit;

namespace velvane {

// The lines of a stored resource (":/editor/..."); EFOpenError naming it
// when the program holds none of that name.
TStringList WindowDataLines(const String& resource);

// The memo holds the lines, one a line.
void SetMemoLines(QPlainTextEdit* memo, const TStrings& lines);
// One line of the memo; lines past the end read empty.
String MemoLine(const QPlainTextEdit* memo, int line);

} // namespace velvane
