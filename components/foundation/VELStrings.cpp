#include "components/foundation/VELStrings.h"

#include <algorithm>

namespace velvane {

bool IsBlankStr(const String& text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' '; });
}

String AddBackslash(const String& text)
{
    if (!IsBlankStr(text) && text.back() == PathDelim) return text;
    return text + PathDelim;
}

String DelBackslash(const String& text)
{
    if (IsBlankStr(text) || text.back() != PathDelim) return text;
    return text.substr(0, text.size() - 1);
}

} // namespace velvane
