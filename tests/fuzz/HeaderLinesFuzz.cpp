// HTTP header lines of any bytes: a status code is three digits or none, a
// length is a number or -1, and no value carries a line break.

#include "platform/net/HeaderLines.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/FuzzInput.h"

#include <cstdint>
#include <vector>

using namespace velvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    test::FuzzInput input(data, size);
    const String name = input.Text();
    const String text = input.Rest();
    std::vector<String> lines;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == String::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }

    const int code = net::StatusCodeOf(lines.front());
    FUZZ_CHECK(code == -1 || (code >= 0 && code <= 999));
    FUZZ_CHECK(net::ContentLengthOf(lines) >= -1);
    const String value = net::HeaderValue(lines, name);
    FUZZ_CHECK(value.find('\n') == String::npos);
    FUZZ_CHECK(value.empty() || (value.front() != ' ' && value.back() != ' '));
    const String stripped = net::StripLineBreaks(text);
    FUZZ_CHECK(stripped.find_first_of("\r\n") == String::npos);
    FUZZ_CHECK(net::StripLineBreaks(stripped) == stripped);
    return 0;
}
