#include "components/ComponentLibrary.h"
#include "components/foundation/VELIniCtrl.h"
#include "components/foundation/VELTimer.h"
#include "components/foundation/velclass.h"
#include "components/foundation/velwave.h"
#include "tests/support/MemoryBytes.h"
#include "tests/support/TempEnv.h"
#include "tests/support/TestApp.h"

#include <gtest/gtest.h>

using namespace velvane;
using velvane::test::BytesOf;
using velvane::test::ReadStoredForm;
using velvane::test::StoredFormOf;
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

String I32(std::int32_t v) { return String(reinterpret_cast<const char*>(&v), 4); }

} // namespace

TEST(StoredForm, LibraryComponentsAndASoundReadBackIdentically)
{
    velvane::test::EnsureApplication();
    velvane::test::TempEnv env;
    TComponentLibrary library;  // registers the library's classes
    RegisterClass<TSoundHolder>("TSoundHolder");
    const String wave = velvane::test::WaveFile(8000, 1, 14);

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
    ini->Common = false;
    auto* timer = new TVELHiTimer(&form);
    timer->SetName("Clock");
    timer->SetInterval(250);
    timer->SetUseThread(false);
    auto* holder = new TSoundHolder(&form);
    holder->SetName("Ding");
    TMemoryStream sound = StreamOf(wave);
    holder->Sound.LoadFromStream(sound);

    const String bytes = StoredFormOf(&form);
    // The sound travels as the binary value "Sound.Data": its count, its bytes.
    const String data = String("\x0ASound.Data\x0A", 12);
    const std::size_t at = bytes.find(data);
    ASSERT_NE(at, String::npos);
    EXPECT_EQ(bytes.substr(at + data.size(), 8), I32(wave.size() + 4) + I32(wave.size()));

    TComponent copy(nullptr);
    ReadStoredForm(bytes, &copy);
    EXPECT_EQ(StoredFormOf(&copy), bytes);
    auto* pool2 = dynamic_cast<TVELTimerPool*>(copy.FindComponent("Pool"));
    auto* holder2 = dynamic_cast<TSoundHolder*>(copy.FindComponent("Ding"));
    ASSERT_TRUE(pool2 && holder2 && copy.FindComponent("Settings") && copy.FindComponent("Clock"));
    EXPECT_EQ(pool2->MinInterval(), 100);
    EXPECT_EQ(BytesOf(*holder2->Sound.Data()), wave);
    // Outside loading the pool's period stays as it is.
    pool2->SetMinInterval(500);
    EXPECT_EQ(pool2->MinInterval(), 100);

    // A sound of no bytes is stored with count zero.
    TSoundHolder empty(nullptr);
    EXPECT_EQ(StoredFormOf(&empty).find("Sound.Data"), String::npos);  // no data stream: nothing stored
    TVELWave none;
    empty.Sound.Assign(none);
    EXPECT_NE(StoredFormOf(&empty).find("Sound.Data\x0A" + I32(4) + I32(0)), String::npos);
}
