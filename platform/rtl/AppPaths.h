#pragma once
// Where the programs keep their files.

#include "platform/rtl/Types.h"

namespace velvane {

// The program folder shared by both programs, with a trailing '/':
// $XDG_DATA_HOME/velvane/ (default ~/.local/share/velvane/). Created on use.
String GetAppFilePath();
// The folder of the settings store, with a trailing '/':
// $XDG_CONFIG_HOME/velvane/ (default ~/.config/velvane/). Created on use
// unless create is false.
String GetConfigPath(bool create = true);

} // namespace velvane
