#include "components/ComponentLibrary.h"
#include "components/VELIniCtrl.h"
#include "components/VELTimer.h"
#include "components/velclass.h"
#include "components/velwave.h"
#include "platform/classes/Filer.h"
#include "tests/support/MemoryBytes.h"
#include "tests/support/RuntimeFolder.h"
#include "tests/support/TempEnv.h"
#include "tests/support/TestApp.h"

#include <gtest/gtest.h>

using namespace velvane;
using velvane::test::StreamOf;

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

String Write(TComponent* root)
{
    TMemoryStream s;
    WriteComponentToStream(s, root);
    return velvane::test::BytesOf(s);
}

void Read(const String& bytes, TComponent* root)
{
    TMemoryStream s = StreamOf(bytes);
    ReadComponentFromStream(s, root);
}

struct StoredForm : ::testing::Test {
    StoredForm()
    {
        velvane::test::EnsureApplication();
        RegisterClass<TSoundHolder>("TSoundHolder");
    }
    velvane::test::TempEnv env;
    velvane::test::RuntimeFolder runtime;
    TComponentLibrary library;  // registers the library's classes
    const String wave = velvane::test::WaveFile(8000, 1, 14);
};

} // namespace

TEST_F(StoredForm, LibraryComponentsAndASoundReadBackIdentically)
{
    TComponent form(nullptr);
    auto* pool = new TVELTimerPool(&form);
    pool->SetName("Pool");
    pool->SetDesigning(true);  // MinInterval changes only while designing or loading
    pool->SetMinInterval(100);
    pool->SetDesigning(false);
    auto* ini = new TVELIniCtrl(&form);
    ini->SetName("Settings");
    ini->SetIniFile("kestrin");
    ini->SetTarget(TVELIniTarget::itIniFile);
    ini->IniPrefix = TVELPathPrefix::ppProgram;
    ini->Common = false;
    auto* timer = new TVELHiTimer(&form);
    timer->SetName("Clock");
    timer->SetInterval(250);
    timer->SetUseThread(false);
    timer->SetThreadPriority(TThreadPriority::tpHigher);
    auto* holder = new TSoundHolder(&form);
    holder->SetName("Ding");
    TMemoryStream sound = StreamOf(wave);
    holder->Sound.LoadFromStream(sound);

    const String bytes = Write(&form);
    // The sound travels as the binary value "Sound.Data": its count, its bytes.
    const String data = String("\x0ASound.Data\x0A", 12);
    const std::size_t at = bytes.find(data);
    ASSERT_NE(at, String::npos);
    const auto size = static_cast<std::int32_t>(wave.size());
    auto i32 = [](std::int32_t v) { return String(reinterpret_cast<const char*>(&v), 4); };
    EXPECT_EQ(bytes.substr(at + data.size(), 8), i32(size + 4) + i32(size));

    TComponent copy(nullptr);
    Read(bytes, &copy);
    auto* pool2 = dynamic_cast<TVELTimerPool*>(copy.FindComponent("Pool"));
    auto* ini2 = dynamic_cast<TVELIniCtrl*>(copy.FindComponent("Settings"));
    auto* timer2 = dynamic_cast<TVELHiTimer*>(copy.FindComponent("Clock"));
    auto* holder2 = dynamic_cast<TSoundHolder*>(copy.FindComponent("Ding"));
    ASSERT_TRUE(pool2 && ini2 && timer2 && holder2);
    EXPECT_EQ(pool2->MinInterval(), 100);
    EXPECT_EQ(ini2->IniFile(), "kestrin.INI");
    EXPECT_EQ(ini2->EffectiveTarget(), TVELIniTarget::itIniFile);
    EXPECT_EQ(ini2->IniPrefix, TVELPathPrefix::ppProgram);
    EXPECT_FALSE(ini2->Common);
    EXPECT_EQ(timer2->Interval(), 250u);
    EXPECT_FALSE(timer2->UseThread());
    EXPECT_EQ(timer2->ThreadPriority(), TThreadPriority::tpHigher);
    EXPECT_EQ(velvane::test::BytesOf(*holder2->Sound.Data()), wave);
    EXPECT_EQ(Write(&copy), bytes);

    // Outside loading the pool's period stays as it is.
    pool2->SetMinInterval(500);
    EXPECT_EQ(pool2->MinInterval(), 100);
}

TEST_F(StoredForm, ASoundOfNoBytesIsStoredWithCountZeroAndReadingItKeepsTheSound)
{
    TSoundHolder empty(nullptr);
    EXPECT_EQ(Write(&empty).find("Sound.Data"), String::npos);  // no data stream: nothing stored
    TVELWave none;
    empty.Sound.Assign(none);
    const String zero = Write(&empty);
    EXPECT_NE(zero.find(String("Sound.Data\x0A\x04\x00\x00\x00\x00\x00\x00\x00", 19)), String::npos);

    TSoundHolder holder(nullptr);
    TMemoryStream sound = StreamOf(wave);
    holder.Sound.LoadFromStream(sound);
    Read(zero, &holder);
    EXPECT_EQ(velvane::test::BytesOf(*holder.Sound.Data()), wave);
}
