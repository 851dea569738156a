#pragma once
// Bytes in and out of memory streams and stored forms, and a small WAVE
// file, for tests of stored data.

#include "platform/classes/Filer.h"
#include "platform/rtl/Streams.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace velvane::test {

// A stream holding the bytes, positioned at 0.
inline TMemoryStream StreamOf(std::string_view bytes)
{
    TMemoryStream s;
    s.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    s.SetPosition(0);
    return s;
}

inline std::string BytesOf(TMemoryStream& s)
{
    return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size()));
}

// A component in the class library's stored form, and such bytes read back
// into root (made from the stored class when null).
inline std::string StoredFormOf(TComponent* root)
{
    TMemoryStream s;
    WriteComponentToStream(s, root);
    return BytesOf(s);
}

inline TComponent* ReadStoredForm(std::string_view bytes, TComponent* root)
{
    TMemoryStream s = StreamOf(bytes);
    return ReadComponentFromStream(s, root);
}

// The little-endian int32 at a byte position, and one put there.
inline std::int32_t Int32At(const std::string& bytes, std::size_t at)
{
    std::int32_t v;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
}

inline void PutInt32(std::string& bytes, std::size_t at, std::int32_t v)
{
    std::memcpy(bytes.data() + at, &v, 4);
}

// A 16-bit PCM WAVE file; chunkFirst puts a chunk of that name before "fmt ".
inline std::string WaveFile(std::uint32_t rate, std::uint16_t channels, std::size_t samples,
                            const char* chunkFirst = nullptr)
{
    auto u32 = [](std::uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    auto u16 = [](std::uint32_t v) { return std::string{char(v), char(v >> 8)}; };
    std::string body = "WAVE";
    if (chunkFirst) body += std::string(chunkFirst, 4) + u32(4) + "INFO";
    body += "fmt " + u32(16) + u16(1) + u16(channels) + u32(rate) + u32(rate * channels * 2) + u16(channels * 2) + u16(16);
    body += "data" + u32(static_cast<std::uint32_t>(samples * channels * 2));
    for (std::size_t i = 0; i < samples * channels; ++i) body += u16(static_cast<std::uint32_t>(i * 37));
    return "RIFF" + u32(static_cast<std::uint32_t>(body.size())) + body;
}

} // namespace velvane::test
