// An address history file ("iphist.dat") of any bytes: the watch reads it,
// adds the address it finds, and what it writes back holds the newest
// entries it read, then the new one, never more than its limit.

#include "platform/net/IPWatch.h"
#include "platform/rtl/FileUtils.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/FuzzScratch.h"

#include <net/if.h>

#include <cstdint>
#include <fstream>

using namespace velvane;

namespace {

const String& File()
{
    static const String file = test::ScratchFolder() + "/iphist.dat";
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const String bytes(reinterpret_cast<const char*>(data), size);
    std::ofstream(File(), std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(size));
    const std::vector<String> before = ParseIPHistory(bytes);
    for (const String& line : before) FUZZ_CHECK(!line.empty() && line.find('\n') == String::npos);

    TIdIPWatch watch(nullptr);
    watch.HistoryFilename = File();
    watch.MaxHistoryEntries = 5;
    watch.InterfaceSource = [] { return std::vector<TNetInterfaceAddress>{{"eth0", IFF_UP | IFF_RUNNING, "10.9.8.7"}}; };
    watch.ForceCheck();
    FUZZ_CHECK(watch.CurrentIP() == "10.9.8.7");

    // The newest entries read, then the new address unless it is the last
    // one already (then the file is left as it was).
    const auto address = [](const String& line) { return line.substr(0, line.find('\t')); };
    const bool adds = before.empty() || address(before.back()) != "10.9.8.7";
    std::vector<String> expected = before;
    if (adds) {
        expected.push_back("10.9.8.7");
        if (expected.size() > 5) expected.erase(expected.begin(), expected.end() - 5);
    }
    const std::vector<String> after = ParseIPHistory(ReadFileBytes(File()));
    FUZZ_CHECK(watch.IPHistoryList() == after);
    FUZZ_CHECK(after.size() == expected.size());
    for (std::size_t i = 0; i < after.size(); ++i)
        FUZZ_CHECK(adds && i + 1 == after.size() ? address(after[i]) == expected[i] : after[i] == expected[i]);
    return 0;
}
