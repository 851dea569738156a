#include "components/foundation/VELStreamUtils.h"
#include "components/foundation/velwave.h"
#include "platform/rtl/FileUtils.h"
#include "tests/support/MemoryBytes.h"
#include "tests/support/Raises.h"
#include "tests/support/TempEnv.h"

#include <gtest/gtest.h>

using namespace velvane;
using velvane::test::MessageOf;
using velvane::test::StreamOf;
using velvane::test::WaveFile;

namespace {

String BytesOf(const TVELWave& wave)
{
    return wave.Data() ? velvane::test::BytesOf(*wave.Data()) : String();
}

void Load(TVELWave& wave, const String& bytes)
{
    TMemoryStream s = StreamOf(bytes);
    wave.LoadFromStream(s);
}

} // namespace

TEST(Wave, TakesWaveFilesOnlyAndKeepsItsSoundOtherwise)
{
    const String stereo = WaveFile(22050, 2, 300);
    TVELWave wave;
    int changes = 0;
    wave.OnChange = [&](TPersistent* sender) { changes += sender == &wave; };
    Load(wave, stereo);
    EXPECT_EQ(BytesOf(wave), stereo);
    TVELWaveHeader header;
    ASSERT_TRUE(TVELWave::GetWaveData(wave.Data(), header));
    EXPECT_EQ(header.ChannelMode, 2);
    EXPECT_EQ(header.SampleRate, 22050u);

    // Not taken, silently: a chunk before "fmt ", other markers, other bytes.
    for (const String& other : {WaveFile(22050, 2, 300, "LIST"), "RIFX" + stereo.substr(4),
                                stereo.substr(0, 8) + "AVI " + stereo.substr(12), String("not a sound")})
        Load(wave, other);
    // "RIFF" and then too little for the format fields.
    EXPECT_EQ(MessageOf<EErrorCheckingWave>([&] { Load(wave, stereo.substr(0, 30)); }).rfind("GetWaveData: ", 0), 0u);
    EXPECT_EQ(BytesOf(wave), stereo);
    EXPECT_EQ(changes, 1);

    // A header without samples is a sound (the check reads 34 bytes).
    Load(wave, WaveFile(8000, 1, 0));
    EXPECT_EQ(BytesOf(wave).size(), 44u);
}

TEST(Wave, CountsBeyondTheStreamAreReadErrorsBeforeAnyAllocation)
{
    const String sound = WaveFile(8000, 1, 10);
    TVELWave wave;
    Load(wave, sound);
    for (std::int64_t count : {std::int64_t{-1}, std::int64_t{1} << 40, static_cast<std::int64_t>(sound.size()) + 1}) {
        TMemoryStream s = StreamOf(sound);
        EXPECT_THROW(wave.LoadCount(count, s), EReadError) << count;
    }
    // The stored form claiming two gigabytes with four bytes behind it.
    TMemoryStream hostile = StreamOf(String("\xFF\xFF\xFF\x7F", 4) + "RIFF");
    EXPECT_THROW(wave.ReadData(hostile), EReadError);
    EXPECT_EQ(BytesOf(wave), sound);
}

TEST(Wave, PlainCompressedAndFileFormsRoundTrip)
{
    velvane::test::TempEnv env;
    const String sound = WaveFile(44100, 2, 2000);
    TVELWave wave;
    Load(wave, sound);
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
    EXPECT_EQ(BytesOf(*TVELWave::CreateFromFile(path)), sound);
    EXPECT_THROW(TVELWave::CreateFromFile(env.Path("missing.wav")), EFOpenError);
}
