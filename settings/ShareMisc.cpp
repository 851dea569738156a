#include "settings/ShareMisc.h"

namespace velvane {

String AppVersion;
String WallPaperFile;
std::atomic<bool> Online{false};

} // namespace velvane
