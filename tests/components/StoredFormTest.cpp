#include "components/ComponentLibrary.h"
#include "components/VELIniCtrl.h"
#include "components/VELStreamUtils.h"
#include "components/VELTimer.h"
#include "components/velclass.h"
#include "components/velwave.h"
#include "platform/classes/Filer.h"
#include "tests/support/RuntimeFolder.h"
#include "tests/support/TempEnv.h"
#include "tests/support/TestApp.h"

#include <gtest/gtest.h>

using namespace velvane;

namespace {

// A component with a sound, as the wave lists hold them.
class TSoundHolder : public TVELCustomComponent {
public:
    using TVELCustomComponent::TVELCustomComponent;
    const char* ClassName() const override { return "TSoundHolder"; }
    TVELWave Sound;
    void DeclareProperties(TPropertyList& list) override
    {
        TVELCustomComponent::DeclareProperties(list);
        list.Object("Sound", [this] { return &Sound; });
    }
};

class TFormRoot : public TComponent {
public:
    using TComponent::TComponent;
    const char* ClassName() const override { return "TFormRoot"; }
};

String WaveBytes()
{
    String w = String("RIFF") + String("\x40\x00\x00\x00", 4) + "WAVEfmt " + String("\x10\x00\x00\x00", 4);
    w += String("\x01\x00\x01\x00\x40\x1F\x00\x00\x80\x3E\x00\x00\x02\x00\x10\x00", 16);
    w += String("data\x1C\x00\x00\x00", 8) + String(28, '\x11');
    return w;
}

String Write(TComponent* root)
{
    TMemoryStream s;
    WriteComponentToStream(s, root);
    return String(reinterpret_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size()));
}

void Read(const String& bytes, TComponent* root)
{
    TMemoryStream s;
    s.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    s.SetPosition(0);
    ReadComponentFromStream(s, root);
}

struct StoredForm : ::testing::Test {
    StoredForm() { velvane::test::EnsureApplication(); }
    velvane::test::TempEnv env;
    velvane::test::RuntimeFolder runtime;
    TComponentLibrary library;
    struct Registered {
        Registered()
        {
            RegisterClass<TSoundHolder>("TSoundHolder");
            RegisterClass<TFormRoot>("TFormRoot");
        }
    } registered;
};

} // namespace

TEST_F(StoredForm, LibraryComponentsWithBinaryDataReadBackIdentically)
{
    TFormRoot form(nullptr);
    form.SetName("MainForm");
    auto* pool = new TVELTimerPool(&form);
    pool->SetName("Pool");
    pool->About = "timer pool";
    pool->SetDesigning(true);  // MinInterval changes only while designing or loading
    pool->SetMinInterval(100);
    pool->SetDesigning(false);
    auto* ini = new TVELIniCtrl(&form);
    ini->SetName("Settings");
    ini->SetIniFile("kestrin");
    ini->SetTarget(TVELIniTarget::itIniFile);
    ini->IniPrefix = TVELPathPrefix::ppProgram;
    ini->SetAlphaCounter(true);
    ini->SetMaxEntries(9);
    ini->Common = false;
    ini->EncKey = 7;
    auto* timer = new TVELHiTimer(&form);
    timer->SetName("Clock");
    timer->SetInterval(250);
    timer->SetUseThread(false);
    timer->SetThreadPriority(TThreadPriority::tpHigher);
    auto* holder = new TSoundHolder(&form);
    holder->SetName("Ding");
    TMemoryStream wave;
    wave.WriteBuffer(WaveBytes().data(), static_cast<std::int64_t>(WaveBytes().size()));
    wave.SetPosition(0);
    holder->Sound.LoadFromStream(wave);

    const String bytes = Write(&form);
    // The sound travels as "Sound.Data": a binary value holding its count and bytes.
    const String data = String("\x0ASound.Data\x0A", 12);
    const std::size_t at = bytes.find(data);
    ASSERT_NE(at, String::npos);
    EXPECT_EQ(bytes.substr(at + data.size(), 4), String("\x4C\x00\x00\x00", 4));  // 4 + 72 bytes
    EXPECT_EQ(bytes.substr(at + data.size() + 4, 4), String("\x48\x00\x00\x00", 4));

    TFormRoot copy(nullptr);
    Read(bytes, &copy);
    auto* pool2 = dynamic_cast<TVELTimerPool*>(copy.FindComponent("Pool"));
    auto* ini2 = dynamic_cast<TVELIniCtrl*>(copy.FindComponent("Settings"));
    auto* timer2 = dynamic_cast<TVELHiTimer*>(copy.FindComponent("Clock"));
    auto* holder2 = dynamic_cast<TSoundHolder*>(copy.FindComponent("Ding"));
    ASSERT_TRUE(pool2 && ini2 && timer2 && holder2);
    EXPECT_EQ(pool2->MinInterval(), 100);
    EXPECT_EQ(pool2->About, "timer pool");
    EXPECT_EQ(ini2->IniFile(), "kestrin.INI");
    EXPECT_EQ(ini2->EffectiveTarget(), TVELIniTarget::itIniFile);
    EXPECT_EQ(ini2->IniPrefix, TVELPathPrefix::ppProgram);
    EXPECT_TRUE(ini2->AlphaCounter());
    EXPECT_EQ(ini2->MaxEntries(), 9);
    EXPECT_FALSE(ini2->Common);
    EXPECT_EQ(ini2->EncKey, 7);
    EXPECT_EQ(timer2->Interval(), 250u);
    EXPECT_FALSE(timer2->UseThread());
    EXPECT_EQ(timer2->ThreadPriority(), TThreadPriority::tpHigher);
    ASSERT_NE(holder2->Sound.Data(), nullptr);
    EXPECT_EQ(holder2->Sound.Size(), 72);
    EXPECT_EQ(Write(&copy), bytes);

    // Outside loading the pool's period stays as it is.
    pool2->SetMinInterval(500);
    EXPECT_EQ(pool2->MinInterval(), 100);
}

TEST_F(StoredForm, EmptySoundIsStoredWithCountZeroAndReadingItKeepsTheSound)
{
    TSoundHolder empty(nullptr);
    empty.SetName("Empty");
    const String noSound = Write(&empty);
    EXPECT_EQ(noSound.find("Sound.Data"), String::npos);  // no data stream at all: nothing stored

    TVELWave none;
    empty.Sound.Assign(none);
    const String zero = Write(&empty);
    EXPECT_NE(zero.find(String("Sound.Data\x0A\x04\x00\x00\x00\x00\x00\x00\x00", 19)), String::npos);

    TSoundHolder holder(nullptr);
    TMemoryStream wave;
    wave.WriteBuffer(WaveBytes().data(), static_cast<std::int64_t>(WaveBytes().size()));
    wave.SetPosition(0);
    holder.Sound.LoadFromStream(wave);
    Read(zero, &holder);
    EXPECT_EQ(holder.Sound.Size(), 72);
    EXPECT_EQ(holder.Name(), "Empty");
}

TEST_F(StoredForm, SoundCountBeyondItsDataIsAReadError)
{
    TSoundHolder holder(nullptr);
    const String head = String("TPF0\x0CTSoundHolder\x00", 18);
    const String hostile = head + String("\x0ASound.Data\x0A\x08\x00\x00\x00\xFF\xFF\xFF\x7FRIFF", 24) + String(2, '\0');
    EXPECT_THROW(Read(hostile, &holder), EReadError);
    EXPECT_TRUE(holder.Sound.Empty());
}
