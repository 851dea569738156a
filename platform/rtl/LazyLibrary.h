#pragma once
// Functions of a shared library that only some runs need, found when first
// called: the library is opened then and kept for the life of the process,
// so a program that never calls them maps neither it nor what it pulls in.
// A unit that stands in for such a library defines each of its functions
// over VELVANE_LAZY_FUNCTION, which names the library's own one `real`.

namespace velvane {

// The address of `name` in the shared library `soname`, opened at the first
// call. Raises EOSError, with the reason, when either is missing.
void* LazySymbol(const char* soname, const char* name);

} // namespace velvane

#define VELVANE_LAZY_FUNCTION(soname, name) \
    static const auto real = reinterpret_cast<decltype(&::name)>(::velvane::LazySymbol(soname, #name))
