// Containers: change links, whole-list streams, string and wave items, the
// shared lists and their references, and the image-list interface of the
// three image containers.

#include "components/containers/velcont.h"
#include "components/foundation/VELStreamUtils.h"
#include "platform/forms/ImgList.h"
#include "components/ComponentLibrary.h"
#include "tests/support/MemoryBytes.h"
#include "tests/support/PixelMap.h"
#include "tests/support/TempEnv.h"
#include "tests/support/TestApp.h"

#include <gtest/gtest.h>

using namespace velvane;
using test::BytesOf;
using test::Int32At;
using test::StreamOf;

namespace {

struct Counter {
    int calls = 0;
    TPersistent* sender = nullptr;
    TVELNotifyEvent Handler() { return [this](TPersistent* s) { ++calls, sender = s; }; }
};

} // namespace

TEST(ChangeLinks, AreToldOfEveryContainerChangeAndNeverAfterTheyLeave)
{
    TVELImageList list(nullptr);
    TVELChangeLink a, b;
    Counter ca, cb, own;
    a.OnChange = ca.Handler();
    b.OnChange = cb.Handler();
    list.OnChange = own.Handler();
    list.AddChangeLink(&a);
    list.AddChangeLink(&b);
    list.AddChangeLink(&b);  // held twice, told twice

    list.AddItem(nullptr);
    EXPECT_EQ(ca.calls, 1);
    EXPECT_EQ(ca.sender, &list);
    EXPECT_EQ(cb.calls, 2);
    EXPECT_EQ(own.calls, 1);

    // While updating the links hear at once; OnChange waits for the end.
    list.BeginUpdate();
    list.AddItem(nullptr);
    EXPECT_EQ(ca.calls, 2);
    EXPECT_EQ(own.calls, 1);
    list.EndUpdate(true);
    EXPECT_EQ(ca.calls, 3);
    EXPECT_EQ(own.calls, 2);

    // An item's change reaches the container's OnChange, as itself, and no link.
    list.Item(0)->SetWidth(20);
    EXPECT_EQ(own.calls, 3);
    EXPECT_EQ(own.sender, list.Item(0));
    EXPECT_EQ(ca.calls, 3);

    // One removal leaves one registration; the Sender goes with the last.
    list.RemoveChangeLink(&b);
    EXPECT_EQ(b.Sender(), &list);
    EXPECT_EQ(list.ClientCount(), 2);
    list.Clear();
    EXPECT_EQ(cb.calls, 7);
    list.RemoveChangeLink(&b);
    EXPECT_EQ(b.Sender(), nullptr);
    EXPECT_EQ(list.ClientCount(), 1);
    list.Clear();
    EXPECT_EQ(cb.calls, 7);
    // A link freed while registered twice leaves no registration behind.
    {
        TVELChangeLink twice;
        list.AddChangeLink(&twice);
        list.AddChangeLink(&twice);
    }
    EXPECT_EQ(list.ClientCount(), 1);
    list.Clear();  // would call the freed link
    EXPECT_EQ(ca.calls, 6);

    // The container going first leaves its links alive, unregistered.
    auto* strings = new TVELStringList(nullptr);
    strings->AddChangeLink(&b);
    delete strings;
    EXPECT_EQ(b.Sender(), nullptr);
}

TEST(Containers, WholeListsStreamWithAndWithoutOffsets)
{
    TVELStringList list(nullptr);
    TMemoryStream empty;
    list.WriteToStream(empty, true);
    EXPECT_EQ(BytesOf(empty), std::string(4, '\0'));

    for (const char* text : {"um", "dois\r\ntrês", ""}) {
        auto* item = static_cast<TVELStringListItem*>(list.GetItem(list.AddItem(nullptr)));
        item->Items().SetText(text);
    }
    static_cast<TVELStringListItem*>(list.GetItem(1))->Compressed = true;
    for (bool offsets : {false, true}) {
        TMemoryStream s;
        list.WriteToStream(s, offsets);
        const std::string bytes = BytesOf(s);
        EXPECT_EQ(Int32At(bytes, 0), 3);
        if (offsets) {
            // Absolute positions of the three items; the first right after the table.
            EXPECT_EQ(Int32At(bytes, 4), 16);
            TMemoryStream second = StreamOf(bytes.substr(static_cast<std::size_t>(Int32At(bytes, 8))));
            TVELStringListItem read(nullptr);
            read.ReadData(second);
            EXPECT_EQ(read.Items().Text(), "dois\r\ntrês\r\n");
            EXPECT_EQ(static_cast<std::size_t>(Int32At(bytes, 12)), bytes.size() - 1);  // an empty item: one byte
        }
        TVELStringList back(nullptr);
        s.SetPosition(0);
        back.ReadFromStream(s, offsets);
        ASSERT_EQ(back.Count(), 3);
        EXPECT_EQ(static_cast<TVELStringListItem*>(back.GetItem(1))->Items().Text(), "dois\r\ntrês\r\n");
        EXPECT_FALSE(back.GetItem(0)->Compressed);
        EXPECT_TRUE(back.GetItem(1)->Compressed);
        EXPECT_EQ(static_cast<TVELStringListItem*>(back.GetItem(2))->Items().Count(), 0);
    }

    // Copies: from another kind refused, from itself nothing lost.
    TVELWaveList waves(nullptr);
    EXPECT_THROW(list.Assign(waves), EConvertError);
    list.Assign(list);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_THROW(list.GetItem(3), EListError);
    delete list.GetItem(0);  // an item freed on its own leaves the list
    EXPECT_EQ(list.Count(), 2);

    // A count larger than the stream could hold is a read error, after which
    // the list is no longer updating.
    TMemoryStream hostile = StreamOf(std::string("\xff\xff\xff\x7f", 4));
    EXPECT_THROW(list.ReadFromStream(hostile, false), EReadError);
    EXPECT_FALSE(list.Updating());
    EXPECT_EQ(list.Count(), 0);
}

TEST(ListItems, StringsAndSoundsTravelWithTheirHeader)
{
    // Plain strings and an empty item's lone header byte: the whole-list test.
    TVELStringListItem strings(nullptr), copy(nullptr);
    strings.Description = "Temas";
    strings.Ident = 0xBEEF;
    strings.Items().SetText("a\r\nb");
    strings.Compressed = true;
    TMemoryStream s;
    strings.WriteData(s);
    const std::string bytes = BytesOf(s);
    EXPECT_EQ(bytes.substr(0, 7), "\x0F\x05Temas");
    EXPECT_EQ(Int32At(bytes, 7), 0xBEEF);
    copy.Items().SetText("old");
    s.SetPosition(0);
    copy.ReadData(s);
    EXPECT_EQ(copy.Items().Text(), "a\r\nb\r\n");
    EXPECT_EQ(copy.Ident, 0xBEEF);
    EXPECT_TRUE(copy.Compressed);
    // Without a data block the strings go.
    TMemoryStream noData = StreamOf(std::string(1, '\0'));
    strings.ReadData(noData);
    EXPECT_EQ(strings.Items().Count(), 0);

    // A silent wave writes its header alone and reads back silent.
    TVELWaveListItem wave(nullptr), back(nullptr);
    TMemoryStream w, sound = StreamOf(test::WaveFile(8000, 1, 20)), full;
    wave.WriteData(w);
    EXPECT_EQ(BytesOf(w), std::string(1, '\0'));
    wave.Wave().LoadFromStream(sound);
    wave.Compressed = true;
    wave.WriteData(full);
    full.SetPosition(0);
    back.ReadData(full);
    EXPECT_EQ(BytesOf(*back.Wave().Data()), test::WaveFile(8000, 1, 20));
    w.SetPosition(0);
    back.ReadData(w);
    EXPECT_TRUE(back.Wave().Empty());
}

// A read that fails part-way leaves the item as it was, header included.
TEST(ListItems, AFailedReadKeepsTheWholeItem)
{
    const auto check = [](TVELListItem& item, TVELListItem& old, auto sameData) {
        item.Description = "Nova";
        item.Ident = 7;
        TMemoryStream s;
        item.WriteData(s);
        const std::string bytes = BytesOf(s);
        ASSERT_GT(bytes.size(), 12u);
        old.Description = "Antiga";
        old.Ident = 3;
        for (std::size_t cut = bytes.size() - 1; cut > 10; cut -= 7) {
            TMemoryStream part = StreamOf(bytes.substr(0, cut));
            EXPECT_THROW(old.ReadData(part), EReadError) << cut;
            EXPECT_EQ(old.Description, "Antiga");
            EXPECT_EQ(old.Ident, 3);
            EXPECT_FALSE(old.Compressed);
            sameData();
        }
    };
    TVELStringListItem strings(nullptr), oldStrings(nullptr);
    strings.Items().SetText("a\r\nb");
    strings.Compressed = true;
    oldStrings.Items().SetText("old");
    check(strings, oldStrings, [&] { EXPECT_EQ(oldStrings.Items().Text(), "old\r\n"); });

    TVELWaveListItem wave(nullptr), oldWave(nullptr);
    TMemoryStream sound = StreamOf(test::WaveFile(8000, 1, 20));
    wave.Wave().LoadFromStream(sound);
    check(wave, oldWave, [&] { EXPECT_TRUE(oldWave.Wave().Empty()); });

    TVELBitmapListItem bitmap(nullptr), oldBitmap(nullptr);
    test::Paint(bitmap.Bitmap(), {"RGB", "BGR"});
    test::Paint(oldBitmap.Bitmap(), {"Y"});
    check(bitmap, oldBitmap, [&] { EXPECT_EQ(test::RowsOf(oldBitmap.Bitmap()), test::Rows{"Y"}); });
}

TEST(ListReferences, NameOnlyTheSharedListsExactly)
{
    test::EnsureApplication();
    test::TempEnv env;
    TComponentLibrary library;
    ASSERT_NE(GlobalContainer, nullptr);
    TVELImageList own(nullptr);
    EXPECT_TRUE(IsSharedList(GlobalContainer->ImageList()));
    EXPECT_TRUE(IsSharedList(GlobalContainer->BitmapList()));
    EXPECT_FALSE(IsSharedList(&own));
    EXPECT_FALSE(IsSharedList(nullptr));

    auto read = [](const std::string& ref) {
        TMemoryStream s;
        TWriter(s).WriteString(ref);
        s.SetPosition(0);
        TReader reader(s);
        return ReadListRef(reader);
    };
    EXPECT_EQ(read("VELIML30"), GlobalContainer->ImageList());
    EXPECT_EQ(read("VELBML30"), GlobalContainer->BitmapList());
    for (const char* other : {"veliml30", "VELWVL30", ""}) EXPECT_EQ(read(other), nullptr) << other;

    TMemoryStream written;
    TWriter writer(written);
    WriteListRef(writer, &own);
    EXPECT_EQ(written.Size(), 0);
    WriteListRef(writer, GlobalContainer->BitmapList());
    EXPECT_NE(BytesOf(written).find("VELBML30"), std::string::npos);

    // A change of any shared list is a change of the shared container.
    TVELChangeLink link;
    Counter heard;
    link.OnChange = heard.Handler();
    GlobalContainer->AddChangeLink(&link);
    GlobalContainer->WaveList()->AddItem(nullptr);
    EXPECT_EQ(heard.calls, 1);
    EXPECT_EQ(heard.sender, GlobalContainer);
    GlobalContainer->WaveList()->Clear();
}

TEST(ImageListInterface, RangesAnswerAsEachListDoes)
{
    TVELImageList images(nullptr);
    TVELBitmapList bitmaps(nullptr);
    TVELImageListConnector connector(nullptr);
    auto* item = static_cast<TVELImageListItem*>(images.GetItem(images.AddItem(nullptr)));
    item->SetWidth(2);
    item->SetHeight(2);
    test::PaintedBitmap cell({"RG", "oB"});
    item->AddImage(&cell, nullptr);
    test::Paint(bitmaps.Item(bitmaps.AddItem(nullptr))->Bitmap(), {"RGB", "YMC"});
    connector.ImageLists().Add();

    struct Row {
        TVELCustomImageList* list;
        int countPastEnd;
    } rows[] = {{&images, -1}, {&bitmaps, 0}, {&connector, -1}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.list->ClassName());
        EXPECT_EQ(r.list->GetImageCount(1), r.countPastEnd);
        EXPECT_EQ(r.list->GetImageCount(-1), r.countPastEnd);  // never read before the start
        EXPECT_EQ(r.list->GetImageExtent(0, 2), 0);
        EXPECT_EQ(r.list->GetImageExtent(-1, 0), 0);
        EXPECT_FALSE(r.list->IsValidImage(-1, 0));
        EXPECT_EQ(r.list->GetTransparentColor(-1, 0), 0xFFFFFFu);
        EXPECT_EQ(r.list->GetPixel(TPoint{0, 0}, 5, 0), 0xFFFFFFu);
    }
    EXPECT_EQ(images.GetImageCount(0), 1);
    EXPECT_FALSE(images.IsValidImage(0, -1));
    EXPECT_FALSE(images.IsValidImage(0, 1));
    EXPECT_EQ(images.GetImageExtent(0, 1), 2);
    EXPECT_EQ(images.GetTransparentColor(0, 0), 0x008080u);  // the cell's bottom left
    EXPECT_EQ(images.GetPixel(TPoint{1, 1}, 0, 0), clBlue);
    EXPECT_THROW(images.GetImage(0, 1, &cell), EListError);
    EXPECT_THROW(images.Draw(cell.Canvas(), 0, 0, -1, 0), EListError);
    EXPECT_EQ(bitmaps.GetImageCount(0), 1);
    EXPECT_EQ(bitmaps.GetImageExtent(0, 0), 3);
    EXPECT_EQ(bitmaps.GetTransparentColor(0, 7), clYellow);
    EXPECT_THROW(bitmaps.GetItemCanvas(1), EListError);
}

TEST(ImageListConnector, AnswersFromClassLibraryListsAndForgetsThemWhenTheyGo)
{
    TComponent form(nullptr);
    auto* system = new TCustomImageList(&form);
    system->SetName("Icons");
    system->SetSize(2, 1);
    test::PaintedBitmap strip({"RGBY"}), mask({"K.KK"});
    EXPECT_EQ(system->Add(strip, &mask), 0);
    auto* connector = new TVELImageListConnector(&form);
    TVELChangeLink link;
    Counter heard;
    link.OnChange = heard.Handler();
    connector->AddChangeLink(&link);
    auto* entry = static_cast<TVELBorImageListItem*>(connector->ImageLists().Add());
    entry->SetImageList(system);
    EXPECT_EQ(entry->DisplayName(), "Icons");
    entry->SetName("Barra");
    EXPECT_EQ(connector->GetItem(0)->Description, "Barra");

    EXPECT_TRUE(connector->IsValidImage(0, 1));
    EXPECT_EQ(connector->GetImageCount(0), 2);
    EXPECT_EQ(connector->GetItemCanvas(0), nullptr);
    EXPECT_EQ(connector->GetPixel(TPoint{0, 0}, 0, 0), 0xFFFFFFu);
    TBitmap image;
    connector->GetImage(0, 0, &image);  // transparent pixels keep the new bitmap's white
    EXPECT_EQ(test::RowsOf(image), (test::Rows{"R."}));
    test::PaintedBitmap target({"ggg"});
    connector->Draw(target.Canvas(), 1, 0, 0, 1);
    EXPECT_EQ(test::RowsOf(target), (test::Rows{"gBY"}));

    // The list's own changes reach the connector's links.
    const int before = heard.calls;
    system->Add(strip, nullptr);
    EXPECT_GT(heard.calls, before);

    const int beforeRemoval = heard.calls;
    delete system;
    EXPECT_EQ(entry->ImageList(), nullptr);
    EXPECT_GT(heard.calls, beforeRemoval);
    EXPECT_FALSE(connector->IsValidImage(0, 0));
}
