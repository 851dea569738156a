#include "components/foundation/velwave.h"

#include "components/foundation/VELStreamUtils.h"
#include "platform/classes/Filer.h"
#include "platform/win/MMSystem.h"

#include <cstring>

namespace velvane {

std::unique_ptr<TVELWave> TVELWave::CreateFromFile(const String& path)
{
    auto wave = std::make_unique<TVELWave>();
    wave->LoadFromFile(path);
    return wave;
}

TVELWave::~TVELWave()
{
    if (data_) Stop();
}

bool TVELWave::Empty() const
{
    return !data_ || data_->Size() == 0;
}

std::int64_t TVELWave::Size() const
{
    return Empty() ? 0 : data_->Size();
}

void TVELWave::SetData(std::unique_ptr<TMemoryStream> data)
{
    if (data_) Stop();
    data_ = std::move(data);
    if (data_) data_->SetPosition(0);
    NotifyChange();
}

void TVELWave::Assign(const TPersistent& source)
{
    const auto* wave = dynamic_cast<const TVELWave*>(&source);
    if (!wave) {
        TVELObject::Assign(source);
        return;
    }
    if (wave == this) return;
    auto copy = std::make_unique<TMemoryStream>();
    if (wave->data_) {
        copy->WriteBuffer(wave->data_->Memory(), wave->data_->Size());
        wave->data_->SetPosition(0);
    }
    SetData(std::move(copy));
}

void TVELWave::Assign(const TPersistent* source)
{
    if (!source)
        Clear();
    else
        Assign(*source);
}

void TVELWave::LoadCount(std::int64_t count, TStream& stream)
{
    if (stream.Size() == 0) {
        Clear();
        return;
    }
    // Checked before anything is allocated for it.
    if (count < 0 || count > stream.Size() - stream.Position()) throw EReadError("Stream read error");
    auto data = std::make_unique<TMemoryStream>();
    data->SetSize(count);
    stream.ReadBuffer(data->Memory(), count);
    data->SetPosition(0);
    TVELWaveHeader header;
    if (GetWaveData(data.get(), header)) SetData(std::move(data));
}

void TVELWave::ReadData(TStream& stream)
{
    LoadCount(ReadInt32(stream), stream);
}

void TVELWave::WriteData(TStream& stream)
{
    if (!data_) data_ = std::make_unique<TMemoryStream>();
    const std::int64_t size = data_->Size();
    if (size > INT32_MAX) throw EWriteError("Sound too large to store");
    WriteInt32(stream, static_cast<std::int32_t>(size));
    stream.WriteBuffer(data_->Memory(), size);
}

void TVELWave::LoadFromFile(const String& path)
{
    TFileStream file(path, fmOpenRead);
    LoadCount(file.Size(), file);
}

void TVELWave::LoadFromStream(TStream& stream)
{
    LoadCount(stream.Size() - stream.Position(), stream);
}

void TVELWave::SaveToFile(const String& path)
{
    TFileStream file(path, fmCreate);
    SaveToStream(file);
}

void TVELWave::SaveToStream(TStream& stream)
{
    if (!Empty()) stream.WriteBuffer(data_->Memory(), data_->Size());
}

namespace {

// The length a WAVE file declares for itself; -1 for fewer than 8 bytes or
// bytes that are no RIFF file.
std::int64_t RiffFileSize(const std::uint8_t* bytes, std::int64_t count)
{
    if (count < 8 || std::memcmp(bytes, "RIFF", 4) != 0) return -1;
    return std::int64_t{bytes[4]} + (std::int64_t{bytes[5]} << 8) + (std::int64_t{bytes[6]} << 16) +
           (std::int64_t{bytes[7]} << 24) + 8;
}

} // namespace

void TVELWave::LoadFromCompressed(TStream& stream)
{
    // Nothing beyond the length the file declares is decoded.
    const auto bound = [](const std::uint8_t* bytes, std::int64_t count) -> std::int64_t {
        if (count < 8) return -1;
        const std::int64_t size = RiffFileSize(bytes, count);
        return size < 0 ? MaxStoredWaveBytes : size;
    };
    TMemoryStream bytes;
    ReadCompressedStream(stream, bytes, MaxStoredWaveBytes, bound);
    bytes.SetPosition(0);
    LoadFromStream(bytes);
}

void TVELWave::SaveToCompressed(TStream& stream)
{
    // Never written where it could not be read back.
    if (Size() > MaxStoredWaveBytes) throw EWriteError("Sound too large to store");
    if (!Empty() && Size() > RiffFileSize(data_->Memory(), Size()))
        throw EWriteError("Sound runs past the length its header declares");
    TMemoryStream bytes;
    SaveToStream(bytes);
    bytes.SetPosition(0);
    WriteCompressedStream(bytes, stream, bytes.Size());
}

void TVELWave::Stop()
{
    sndPlaySoundA(nullptr, SND_MEMORY);
}

void TVELWave::DefineProperties(TFiler& filer)
{
    TVELObject::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "Data", [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); }, data_ != nullptr);
}

bool TVELWave::GetWaveData(TMemoryStream* stream, TVELWaveHeader& header)
{
    if (!stream || stream->Size() == 0) return false;
    struct Rewind {
        TMemoryStream* s;
        ~Rewind() { s->SetPosition(0); }
    } rewind{stream};
    stream->SetPosition(0);
    auto read = [stream](void* buffer, std::int64_t count) {
        if (stream->Read(buffer, count) != count)
            throw EErrorCheckingWave("GetWaveData: the sound ends inside its header");
    };
    auto u16 = [](const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); };
    auto u32 = [](const std::uint8_t* p) {
        return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
    };
    std::uint8_t b[12];
    read(b, 4);
    if (std::memcmp(b, "RIFF", 4) != 0) return false;
    read(b, 4);
    header.RiffSize = u32(b);
    read(b, 4);
    if (std::memcmp(b, "WAVE", 4) != 0) return false;
    read(b, 4);
    if (std::memcmp(b, "fmt ", 4) != 0) return false;
    read(b, 4);  // the chunk's size, not needed
    read(b, 12);
    header.Pcm = u16(b) == 1;
    const std::uint16_t channels = u16(b + 2);
    header.ChannelMode = channels == 1 ? 1 : channels == 2 ? 2 : 0;
    header.SampleRate = u32(b + 4);
    read(b, 2);
    header.BlockAlign = u16(b);
    return true;
}

} // namespace velvane
