#pragma once
// TVELWave: one sound held in memory as the bytes of a RIFF WAVE file. The
// bytes are checked when loaded (RIFF, WAVE and a leading "fmt " chunk) and
// travel in a stored form as the binary property "Data": an int32 byte
// count and the bytes.

#include "components/foundation/VELObject.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Streams.h"

#include <cstdint>
#include <memory>

namespace velvane {

// Reading the bytes during the check failed.
VELVANE_DECLARE_EXCEPTION(EErrorCheckingWave, Exception);

// What the check reads of a WAVE file's header.
struct TVELWaveHeader {
    std::uint32_t RiffSize = 0;
    bool Pcm = false;
    std::uint8_t ChannelMode = 0;  // 1 mono, 2 stereo, 0 anything else
    std::uint32_t SampleRate = 0;
    std::uint16_t BlockAlign = 0;
};

class TVELWave : public TVELObject {
public:
    TVELWave() = default;
    // Loads the file (TVELWave's file constructor).
    static std::unique_ptr<TVELWave> CreateFromFile(const String& path);
    // Stops the sound, when there is one.
    ~TVELWave() override;
    TVELWave(const TVELWave&) = delete;
    TVELWave& operator=(const TVELWave&) = delete;
    const char* ClassName() const override { return "TVELWave"; }

    // No data, or data of 0 bytes.
    bool Empty() const;
    std::int64_t Size() const;
    // The data stream (owned; null for no sound).
    TMemoryStream* Data() const { return data_.get(); }
    // Takes the stream (or none), positioned at 0, and tells of the change.
    void SetData(std::unique_ptr<TMemoryStream> data);
    void Clear() { SetData(nullptr); }

    // From another wave: a copy of its bytes (even of none), then a change
    // notice; null clears; other classes cannot be assigned.
    void Assign(const TPersistent& source) override;
    void Assign(const TPersistent* source);

    // Takes count bytes of the stream when they are a WAVE file; other
    // bytes are passed over quietly. A count larger than the stream still
    // holds raises EReadError, and so does a negative one; the wave keeps
    // its sound on every failure.
    void LoadCount(std::int64_t count, TStream& stream);
    // The stored form: an int32 count, then the bytes.
    virtual void ReadData(TStream& stream);
    virtual void WriteData(TStream& stream);
    // The same for the containers' plain form.
    void ReadPlain(TStream& stream) { TVELWave::ReadData(stream); }
    void WritePlain(TStream& stream) { TVELWave::WriteData(stream); }

    // Raises EFOpenError / EFCreateError naming the file.
    virtual void LoadFromFile(const String& path);
    // From the stream's position to its end.
    virtual void LoadFromStream(TStream& stream);
    virtual void SaveToFile(const String& path);
    // The bytes alone.
    virtual void SaveToStream(TStream& stream);
    // One compressed stream of the bytes, and back.
    void LoadFromCompressed(TStream& stream);
    void SaveToCompressed(TStream& stream);

    // Stops a sound this process plays (none is ever played here).
    void Stop();

    void DefineProperties(TFiler& filer) override;

    // The RIFF check of a stream's bytes from its start; the stream is put
    // back at 0. False for null, empty or other bytes; EErrorCheckingWave
    // ("GetWaveData: ...") when the bytes end inside the header.
    static bool GetWaveData(TMemoryStream* stream, TVELWaveHeader& header);

private:
    std::unique_ptr<TMemoryStream> data_;
};

} // namespace velvane
