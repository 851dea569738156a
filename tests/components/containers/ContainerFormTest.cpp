// Containers read from hostile stored forms: items of another kind, records
// that expand without end, records that are not what their item holds.

#include "components/containers/velcont.h"
#include "components/foundation/VELStreamUtils.h"
#include "components/foundation/velprocs.h"
#include "tests/support/AddressSpaceLimit.h"
#include "tests/support/MemoryBytes.h"
#include "tests/support/Raises.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace velvane;
using test::BytesOf;
using test::StreamOf;

namespace {

std::string I32(std::int32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); }

// A container of the class with one item of its own, the item set up by fill.
std::unique_ptr<TVELCustomContainer> ListOf(const std::string& className,
                                            const std::function<void(TVELListItem&)>& fill = nullptr)
{
    std::unique_ptr<TVELCustomContainer> list(static_cast<TVELCustomContainer*>(FindClass(className)(nullptr)));
    TVELListItem* item = list->GetItem(list->AddItem(nullptr));
    if (fill) fill(*item);
    return list;
}

// The stored form of a list whose one item's "Internal" data is replaced.
std::string WithInternal(std::string form, const std::string& data)
{
    const std::string name = "\x08Internal\x0A";
    const std::size_t at = form.find(name) + name.size();
    const std::int32_t old = test::Int32At(form, at);
    return form.replace(at, 4 + static_cast<std::size_t>(old), I32(static_cast<std::int32_t>(data.size())) + data);
}

// A compressed stream of blocks, each 32781 bytes once decoded: the first
// begins with head, all the rest is one repeated byte.
std::string Bomb(const std::string& head, int blocks)
{
    auto block = [](std::string bytes) {
        bytes.resize(LZRWChunkSize, 'a');
        std::string out(bytes.size() + 6, '\0');
        out.resize(static_cast<std::size_t>(LZRWCompress(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                                         reinterpret_cast<std::uint8_t*>(out.data()),
                                                         static_cast<int>(bytes.size()))));
        return I32(static_cast<std::int32_t>(out.size())) + out;
    };
    const std::string first = block(head), other = block("");
    std::string body = first;
    for (int i = 1; i < blocks; ++i) body += other;
    return I32(static_cast<std::int32_t>(body.size())) + body;
}

} // namespace

TEST(ContainerForms, AnItemOfAnotherKindIsAReadErrorAndTheListKeepsWhatItHad)
{
    RegisterContainerClasses();
    const struct {
        const char* list;
        const char* foreign;  // a list of this class gives the foreign item
    } cases[] = {
        {"TVELImageList", "TVELBitmapList"},
        {"TVELBitmapList", "TVELImageList"},
        {"TVELStringList", "TVELWaveList"},
        {"TVELWaveList", "TVELStringList"},
        {"TVELImageListConnector", "TVELImageList"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list);
        // The other list's form under this list's class name.
        std::string form = test::StoredFormOf(ListOf(c.foreign).get());
        const std::string from = std::string(1, static_cast<char>(std::strlen(c.foreign))) + c.foreign;
        form.replace(form.find(from), from.size(), std::string(1, static_cast<char>(std::strlen(c.list))) + c.list);
        const std::string itemClass = ListOf(c.foreign)->GetItem(0)->ClassName();

        std::unique_ptr<TVELCustomContainer> target(static_cast<TVELCustomContainer*>(FindClass(c.list)(nullptr)));
        TVELListItem* had = target->ItemClass ? target->GetItem(target->AddItem(nullptr)) : nullptr;
        const int count = target->Count();
        const std::string message = test::MessageOf<EReadError>([&] { test::ReadStoredForm(form, target.get()); });
        EXPECT_NE(message.find(c.list), std::string::npos) << message;
        EXPECT_NE(message.find(itemClass), std::string::npos) << message;
        EXPECT_EQ(target->Count(), count);
        EXPECT_EQ(target->ComponentCount(), count) << "the foreign item is freed";
        EXPECT_EQ(count ? target->GetItem(0) : nullptr, had) << "the list's own item stays in its place";
        EXPECT_THROW(test::ReadStoredForm(form, nullptr), EReadError);
        TComponent* foreign = FindClass(itemClass)(nullptr);
        EXPECT_THROW(target->AddItem(static_cast<TVELListItem*>(foreign)), EInvalidOperation);
        delete foreign;
    }
}

// Thousands of small blocks that each claim a whole chunk: the read stops at
// the record's bound, and memory never grows anywhere near what they claim.
TEST(ContainerForms, CompressedRecordsStopAtTheirBoundWithPeakMemoryBounded)
{
    RegisterContainerClasses();
    const std::string riff = "RIFF" + I32(36) + "WAVEfmt " + I32(16);
    const std::string bmp = "BM" + I32(1000) + I32(0) + I32(54) + I32(40) + I32(8) + I32(8);
    const struct {
        const char* list;
        std::string head;
    } cases[] = {
        {"TVELStringList", ""},      // no declared size: the text's own limit
        {"TVELWaveList", riff},      // a 44-byte WAVE file
        {"TVELWaveList", "noise"},   // no WAVE file: the sound's own limit
        {"TVELBitmapList", bmp},     // an 8 x 8 picture
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.list) + " " + c.head.substr(0, 4));
        const std::string data = std::string(1, lifCompressed | lifData) + Bomb(c.head, 6000);  // ~200 MB decoded
        const std::string form = WithInternal(test::StoredFormOf(ListOf(c.list).get()), data);
        auto target = ListOf(c.list);
        test::AddressSpaceLimit limit(96 << 20);
        // Refused for what it holds, not for running out of memory.
        const std::string message = test::MessageOf<EReadError>([&] { test::ReadStoredForm(form, target.get()); });
        EXPECT_NE(message.find("holds more than its record may"), std::string::npos) << message;
        TMemoryStream s = StreamOf(data);
        EXPECT_THROW(target->GetItem(0)->ReadData(s), EReadError);
    }
    // What the writer makes stays within what the reader takes.
    TVELStringListItem long_(nullptr);
    long_.Items().SetText(std::string(MaxStoredTextBytes, 'x'));
    TMemoryStream out;
    EXPECT_THROW(long_.WriteData(out), EWriteError);
}

TEST(ContainerForms, DamagedRecordsAreReadErrorsOnEveryRoadAndSoundsStay)
{
    RegisterContainerClasses();
    const std::string wave = test::WaveFile(8000, 1, 5);  // 54 bytes
    const auto withSound = [&](TVELListItem& item) {
        TMemoryStream s = StreamOf(wave);
        static_cast<TVELWaveListItem&>(item).Wave().LoadFromStream(s);
    };
    // Bytes that are no WAVE file, plain or compressed, are passed over: the item keeps its sound.
    for (const std::string& notWave : {std::string(1, lifData) + I32(4) + "JUNK", std::string(1, lifData) + I32(0),
                                       std::string(1, lifCompressed | lifData) + Bomb("JUNK", 1)}) {
        auto list = ListOf("TVELWaveList", withSound);
        TMemoryStream s = StreamOf(notWave);
        list->GetItem(0)->ReadData(s);
        EXPECT_EQ(static_cast<TVELWaveListItem*>(list->GetItem(0))->Wave().Size(), 54);
    }

    // A bitmap record that is no BMP, and a sound cut inside its header.
    const struct {
        const char* list;
        std::string data;
    } damaged[] = {
        {"TVELBitmapList", std::string(1, lifData) + I32(30) + std::string(30, 'x')},
        {"TVELBitmapList", std::string(1, lifData) + I32(10) + "BM" + std::string(8, '\0')},
        {"TVELWaveList", std::string(1, lifData) + I32(20) + wave.substr(0, 20)},
    };
    for (const auto& d : damaged) {
        SCOPED_TRACE(d.list);
        auto target = ListOf(d.list);
        TMemoryStream whole = StreamOf(I32(1) + d.data);
        EXPECT_THROW(target->ReadFromStream(whole, false), EReadError);
        TMemoryStream one = StreamOf(d.data);
        EXPECT_THROW(target->GetItem(0)->ReadData(one), EReadError);
        EXPECT_THROW(test::ReadStoredForm(WithInternal(test::StoredFormOf(ListOf(d.list).get()), d.data), target.get()),
                     EReadError);
    }
}
