#include "components/VELStreamUtils.h"
#include "components/velwave.h"
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
    EXPECT_EQ(changes, 1);
    TVELWaveHeader header;
    ASSERT_TRUE(TVELWave::GetWaveData(wave.Data(), header));
    EXPECT_TRUE(header.Pcm);
    EXPECT_EQ(header.ChannelMode, 2);
    EXPECT_EQ(header.SampleRate, 22050u);
    EXPECT_EQ(header.BlockAlign, 4);

    // Not taken, silently: a chunk before "fmt ", other markers, other bytes.
    for (const String& other : {WaveFile(22050, 2, 300, "LIST"), "RIFX" + stereo.substr(4),
                                stereo.substr(0, 8) + "AVI " + stereo.substr(12), String("not a sound")})
        Load(wave, other);
    EXPECT_EQ(BytesOf(wave), stereo);
    EXPECT_EQ(changes, 1);

    // "RIFF" and then too little for the format fields.
    EXPECT_EQ(MessageOf<EErrorCheckingWave>([&] { Load(wave, stereo.substr(0, 30)); }).rfind("GetWaveData: ", 0), 0u);
    EXPECT_EQ(BytesOf(wave), stereo);

    // A header without samples is a sound (the check reads 34 bytes).
    const String headerOnly = WaveFile(8000, 1, 0);
    ASSERT_EQ(headerOnly.size(), 44u);
    Load(wave, headerOnly);
    EXPECT_EQ(BytesOf(wave), headerOnly);
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
    EXPECT_EQ(BytesOf(*TVELWave::CreateFromFile(path)), sound);
    EXPECT_THROW(TVELWave::CreateFromFile(env.Path("missing.wav")), EFOpenError);
}

TEST(Wave, AssignCopiesEvenNoSoundAndTellsOnce)
{
    TVELWave empty, target;
    target.Assign(empty);
    ASSERT_NE(target.Data(), nullptr);  // a stream of 0 bytes, so "Data" is still stored
    TMemoryStream form;
    target.WriteData(form);
    EXPECT_EQ(form.Size(), 4);

    TVELWave source;
    Load(source, WaveFile(8000, 1, 5));
    source.Data()->SetPosition(7);
    int changes = 0;
    target.OnChange = [&](TPersistent*) { ++changes; };
    target.BeginUpdate();
    target.Assign(source);
    target.EndUpdate(true);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(BytesOf(target), BytesOf(source));
    EXPECT_EQ(source.Data()->Position(), 0);

    target.Assign(static_cast<const TPersistent*>(nullptr));
    EXPECT_EQ(target.Data(), nullptr);
    TVELObject notAWave;
    EXPECT_THROW(target.Assign(notAWave), EConvertError);
}
