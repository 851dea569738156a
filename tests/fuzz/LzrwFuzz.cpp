// The block codec and compressed streams on any bytes: a damaged block or
// stream is refused without touching memory outside the buffers, output
// never passes its limit, and whatever is compressed decodes to itself.

#include "components/foundation/VELStreamUtils.h"
#include "components/foundation/velprocs.h"
#include "platform/rtl/Exceptions.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/FuzzInput.h"

#include <cstdint>
#include <cstring>
#include <vector>

using namespace velvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    test::FuzzInput input(data, size);
    const std::uint8_t mode = input.Byte();
    const int capacity = input.Byte() * 129;  // 0 .. 32895, past a chunk too
    const std::string rest = input.Rest();
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(rest.data());
    const int n = static_cast<int>(std::min<std::size_t>(rest.size(), LZRWMaxBlock));

    // A block of any bytes into a buffer of exactly the room given.
    if (n > 0) {
        std::vector<std::uint8_t> out(static_cast<std::size_t>(capacity));
        try {
            const int made = LZRWDecompress(bytes, n, out.data(), capacity);
            FUZZ_CHECK(made >= 0 && made <= capacity);
        } catch (const EReadError&) {
        }
    }

    // The bytes compressed decode to themselves.
    const int chunk = std::min(n, LZRWChunkSize);
    std::vector<std::uint8_t> block(static_cast<std::size_t>(chunk) + 6), plain(LZRWChunkSize);
    const int length = LZRWCompress(bytes, block.data(), chunk);
    FUZZ_CHECK(length >= 1 && length <= chunk + 1);
    FUZZ_CHECK(LZRWDecompress(block.data(), length, plain.data(), LZRWChunkSize) == chunk);
    FUZZ_CHECK(std::memcmp(plain.data(), bytes, static_cast<std::size_t>(chunk)) == 0);

    // A compressed stream of any bytes, within a limit the input picks.
    const std::int64_t limit = (mode & 0x7F) * 1024;
    TMemoryStream source, dest;
    source.WriteBuffer(rest.data(), static_cast<std::int64_t>(rest.size()));
    source.SetPosition(0);
    try {
        ReadCompressedStream(source, dest, limit);
        FUZZ_CHECK(dest.Size() <= limit);
    } catch (const EReadError&) {
        FUZZ_CHECK(dest.Size() <= limit);
    }

    // And the whole input through a compressed stream and back.
    TMemoryStream packed, unpacked;
    source.SetPosition(0);
    WriteCompressedStream(source, packed, source.Size());
    packed.SetPosition(0);
    ReadCompressedStream(packed, unpacked, source.Size());
    FUZZ_CHECK(unpacked.Size() == source.Size());
    FUZZ_CHECK(rest.empty() || std::memcmp(unpacked.Memory(), rest.data(), rest.size()) == 0);
    return 0;
}
