// libcurl as the network clients reach it: opened by the first call, and
// every kind of value the option and answer calls carry arrives unchanged.

#include "platform/net/CurlSupport.h"

#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

#include <curl/curl.h>

#include <fstream>
#include <iterator>
#include <string>

using namespace velvane;
using namespace std::chrono_literals;

namespace {

bool CurlMapped()
{
    std::ifstream maps("/proc/self/maps");
    return std::string(std::istreambuf_iterator<char>(maps), {}).find("libcurl.so") != std::string::npos;
}

size_t Append(char* data, size_t size, size_t count, void* to)
{
    static_cast<std::string*>(to)->append(data, size * count);
    return size * count;
}

} // namespace

TEST(CurlLibrary, OpensAtTheFirstCallAndPassesEveryKindOfValue)
{
    if (CurlMapped()) GTEST_SKIP() << "an earlier test in this program opened libcurl";
    test::Watchdog watchdog{60s, "libcurl test"};
    test::LoopbackHttpServer server;
    server.Serve("/data", {200, "OK", {}, "0123456789"});
    EXPECT_FALSE(CurlMapped());
    net::EasyHandle easy = net::NewEasy();
    EXPECT_TRUE(CurlMapped());

    // Text, list, number, function and pointer options, then the answers
    // through a number and a 64-bit count.
    std::string body;
    net::HeaderList headers(curl_slist_append(nullptr, "X-Velvane: 7"));
    const std::string url = server.Url("/data");
    curl_easy_setopt(easy.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy.get(), CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(easy.get(), CURLOPT_HTTP_VERSION, long{CURL_HTTP_VERSION_1_0});
    curl_easy_setopt(easy.get(), CURLOPT_WRITEFUNCTION, &Append);
    curl_easy_setopt(easy.get(), CURLOPT_WRITEDATA, &body);
    ASSERT_EQ(net::RunPumped(easy.get(), [] { return true; }), CURLE_OK);
    EXPECT_EQ(body, "0123456789");
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].requestLine, "GET /data HTTP/1.0");
    EXPECT_EQ(requests[0].Header("X-Velvane"), "7");
    long code = 0;
    curl_off_t size = 0;
    curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &code);
    curl_easy_getinfo(easy.get(), CURLINFO_SIZE_DOWNLOAD_T, &size);
    EXPECT_EQ(code, 200);
    EXPECT_EQ(size, 10);

    // A 64-bit limit below the body's length stops the transfer.
    curl_easy_reset(easy.get());
    curl_easy_setopt(easy.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy.get(), CURLOPT_WRITEFUNCTION, &Append);
    curl_easy_setopt(easy.get(), CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(easy.get(), CURLOPT_MAXFILESIZE_LARGE, curl_off_t{4});
    EXPECT_EQ(net::RunPumped(easy.get(), [] { return true; }), CURLE_FILESIZE_EXCEEDED);
    EXPECT_STRNE(curl_easy_strerror(CURLE_FILESIZE_EXCEEDED), "");

    // What a share holds is a plain number: a known one is taken, another refused.
    CURLSH* share = curl_share_init();
    ASSERT_NE(share, nullptr);
    EXPECT_EQ(curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT), CURLSHE_OK);
    EXPECT_EQ(curl_share_setopt(share, CURLSHOPT_SHARE, 99), CURLSHE_BAD_OPTION);
    EXPECT_EQ(curl_share_cleanup(share), CURLSHE_OK);
}
