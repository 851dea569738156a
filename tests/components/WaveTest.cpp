#include "components/VELStreamUtils.h"
#include "components/velwave.h"
#include "platform/rtl/FileUtils.h"
#include "tests/support/Raises.h"
#include "tests/support/TempEnv.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace velvane;
using velvane::test::MessageOf;

namespace {

void Put(String& out, const char* four) { out.append(four, 4); }
void Put32(String& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
}
void Put16(String& out, std::uint16_t v)
{
    out.push_back(static_cast<char>(v));
    out.push_back(static_cast<char>(v >> 8));
}

// A PCM WAVE file: RIFF header, "fmt " chunk, an optional chunk before it,
// and a "data" chunk with the samples.
String WaveFile(std::uint32_t rate, std::uint16_t channels, std::size_t samples, const char* chunkFirst = nullptr)
{
    String body;
    Put(body, "WAVE");
    if (chunkFirst) {
        Put(body, chunkFirst);
        Put32(body, 4);
        Put(body, "INFO");
    }
    Put(body, "fmt ");
    Put32(body, 16);
    Put16(body, 1);
    Put16(body, channels);
    Put32(body, rate);
    Put32(body, rate * channels * 2);
    Put16(body, static_cast<std::uint16_t>(channels * 2));
    Put16(body, 16);
    Put(body, "data");
    Put32(body, static_cast<std::uint32_t>(samples * channels * 2));
    for (std::size_t i = 0; i < samples * channels; ++i) Put16(body, static_cast<std::uint16_t>(i * 37));
    String file;
    Put(file, "RIFF");
    Put32(file, static_cast<std::uint32_t>(body.size()));
    return file + body;
}

TMemoryStream StreamOf(const String& bytes)
{
    TMemoryStream s;
    s.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    s.SetPosition(0);
    return s;
}

String BytesOf(const TVELWave& wave)
{
    if (!wave.Data()) return String();
    return String(reinterpret_cast<const char*>(wave.Data()->Memory()), static_cast<std::size_t>(wave.Data()->Size()));
}

} // namespace

TEST(Wave, LoadsPcmFilesAndHeaderOnlyFiles)
{
    const String stereo = WaveFile(22050, 2, 300);
    TVELWave wave;
    int changes = 0;
    wave.OnChange = [&](TPersistent* sender) {
        EXPECT_EQ(sender, &wave);
        ++changes;
    };
    TMemoryStream s = StreamOf(stereo);
    wave.LoadFromStream(s);
    EXPECT_EQ(BytesOf(wave), stereo);
    EXPECT_EQ(wave.Size(), static_cast<std::int64_t>(stereo.size()));
    EXPECT_EQ(wave.Data()->Position(), 0);
    EXPECT_EQ(changes, 1);

    TVELWaveHeader header;
    EXPECT_TRUE(TVELWave::GetWaveData(wave.Data(), header));
    EXPECT_TRUE(header.Pcm);
    EXPECT_EQ(header.ChannelMode, 2);
    EXPECT_EQ(header.SampleRate, 22050u);
    EXPECT_EQ(header.BlockAlign, 4);

    const String headerOnly = WaveFile(8000, 1, 0);
    ASSERT_EQ(headerOnly.size(), 44u);
    TMemoryStream h = StreamOf(headerOnly);
    wave.LoadFromStream(h);
    EXPECT_EQ(BytesOf(wave), headerOnly);
    EXPECT_EQ(changes, 2);
}

TEST(Wave, OtherBytesAreNotTakenAndTheOldSoundStays)
{
    const String sound = WaveFile(11025, 1, 50);
    TVELWave wave;
    TMemoryStream s = StreamOf(sound);
    wave.LoadFromStream(s);
    int changes = 0;
    wave.OnChange = [&](TPersistent*) { ++changes; };

    for (const String& other : {WaveFile(11025, 1, 50, "LIST"), String("RIFX") + sound.substr(4),
                                sound.substr(0, 8) + "AVI " + sound.substr(12), String("not a sound at all")}) {
        TMemoryStream o = StreamOf(other);
        wave.LoadFromStream(o);
        EXPECT_EQ(BytesOf(wave), sound);
    }
    EXPECT_EQ(changes, 0);

    // "RIFF" and then too little for the format fields.
    TMemoryStream cut = StreamOf(sound.substr(0, 30));
    EXPECT_EQ(MessageOf<EErrorCheckingWave>([&] { wave.LoadFromStream(cut); }).rfind("GetWaveData: ", 0), 0u);
    EXPECT_EQ(BytesOf(wave), sound);
}

TEST(Wave, CountsBeyondTheStreamAreReadErrorsBeforeAnyAllocation)
{
    const String sound = WaveFile(8000, 1, 10);
    TVELWave wave;
    TMemoryStream good = StreamOf(sound);
    wave.LoadFromStream(good);
    for (std::int64_t count : {std::int64_t{-1}, std::int64_t{1} << 40, static_cast<std::int64_t>(sound.size()) + 1}) {
        TMemoryStream s = StreamOf(sound);
        EXPECT_THROW(wave.LoadCount(count, s), EReadError) << count;
        EXPECT_EQ(BytesOf(wave), sound);
    }
    // The stored form with a count of two gigabytes and four bytes behind it.
    TMemoryStream hostile;
    WriteInt32(hostile, 0x7FFFFFFF);
    hostile.WriteBuffer("RIFF", 4);
    hostile.SetPosition(0);
    EXPECT_THROW(wave.ReadData(hostile), EReadError);
    EXPECT_EQ(BytesOf(wave), sound);
}

TEST(Wave, PlainCompressedAndFileFormsRoundTrip)
{
    velvane::test::TempEnv env;
    const String sound = WaveFile(44100, 2, 2000);
    TVELWave wave;
    TMemoryStream s = StreamOf(sound);
    wave.LoadFromStream(s);

    TMemoryStream plain, bare;
    wave.WriteData(plain);
    wave.SaveToStream(bare);
    EXPECT_EQ(plain.Size(), bare.Size() + 4);

    for (bool compressed : {false, true}) {
        TMemoryStream form;
        WriteWave(form, wave, compressed);
        WriteByte(form, 0x5C);
        form.SetPosition(0);
        TVELWave back;
        ReadWave(form, back, compressed);
        EXPECT_EQ(BytesOf(back), sound) << compressed;
        EXPECT_EQ(ReadByte(form), 0x5C);
    }

    const String path = env.Path("sound.wav");
    wave.SaveToFile(path);
    EXPECT_EQ(ReadFileBytes(path), sound);
    auto loaded = TVELWave::CreateFromFile(path);
    EXPECT_EQ(BytesOf(*loaded), sound);
    EXPECT_THROW(TVELWave::CreateFromFile(env.Path("missing.wav")), EFOpenError);
}

TEST(Wave, AssignClearAndUpdates)
{
    TVELWave empty, target;
    // Assigned from a wave without sound: a data stream of 0 bytes, not none.
    target.Assign(empty);
    ASSERT_NE(target.Data(), nullptr);
    EXPECT_TRUE(target.Empty());
    TMemoryStream form;
    target.WriteData(form);
    EXPECT_EQ(form.Size(), 4);

    const String sound = WaveFile(8000, 1, 5);
    TVELWave source;
    TMemoryStream s = StreamOf(sound);
    source.LoadFromStream(s);
    source.Data()->SetPosition(7);
    int changes = 0;
    target.OnChange = [&](TPersistent*) { ++changes; };
    target.BeginUpdate();
    target.Assign(source);
    EXPECT_EQ(changes, 0);
    target.EndUpdate(true);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(BytesOf(target), sound);
    EXPECT_EQ(source.Data()->Position(), 0);
    EXPECT_NE(target.Data(), source.Data());

    target.Assign(static_cast<const TPersistent*>(nullptr));
    EXPECT_EQ(target.Data(), nullptr);
    EXPECT_EQ(changes, 2);
    TVELObject notAWave;
    EXPECT_THROW(target.Assign(notAWave), EConvertError);
}
