#include "platform/net/HeaderLines.h"

#include <gtest/gtest.h>

using namespace velvane;
using velvane::net::StatusCodeOf;

TEST(HeaderLines, StatusCodeIsExactlyThreeDigits)
{
    EXPECT_EQ(StatusCodeOf("HTTP/1.1 404 Not Found"), 404);
    EXPECT_EQ(StatusCodeOf("HTTP/1.0 200"), 200);
    EXPECT_EQ(StatusCodeOf("HTTP/2 302 "), 302);

    for (const char* malformed : {"HTTP/1.1 -02 OK", "HTTP/1.1 +20 OK", "HTTP/1.1 2000 OK", "HTTP/1.1 20 OK",
                                  "HTTP/1.1 200OK", "HTTP/1.1  200 OK", "HTTP/1.1 0x2 OK", "HTTP/1.1", "HTTP/1.1 ",
                                  "HTTP/1.1 2 0"})
        EXPECT_EQ(StatusCodeOf(malformed), -1) << malformed;
}
