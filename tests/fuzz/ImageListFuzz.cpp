// Image-list documents of any bytes: what one reads, written back, reads the
// same again.

#include "editor/ImageListDocument.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstdint>

using namespace velvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<TImageEntry> entries = ParseImageList(String(reinterpret_cast<const char*>(data), size));
    for (const TImageEntry& e : entries) FUZZ_CHECK(e.Text.find_first_of("\r\n") == String::npos);
    FUZZ_CHECK(ParseImageList(FormatImageList(entries)) == entries);
    return 0;
}
