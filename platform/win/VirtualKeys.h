#pragma once
// Key codes as the programs compare them, and where Qt's keys map onto them.
// Window procedures see these in their key messages.

namespace velvane {

constexpr int VK_BACK = 8;
constexpr int VK_TAB = 9;
constexpr int VK_RETURN = 13;
constexpr int VK_ESCAPE = 27;
constexpr int VK_DELETE = 46;
constexpr int VK_F1 = 112;
constexpr int VK_F5 = 116;
// The key code of a Qt key (letters and digits as their capital ASCII).
int VirtualKeyOf(int qtKey);

} // namespace velvane
