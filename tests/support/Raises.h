#pragma once
// The message of the exception of class E that f raises, or "no error".

#include <string>

namespace velvane::test {

template <typename E, typename F>
std::string MessageOf(F&& f)
{
    try {
        f();
    } catch (const E& e) {
        return e.Message();
    }
    return "no error";
}

} // namespace velvane::test
