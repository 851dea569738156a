// Image strips: growing, masks, copies, draws, and the stored form, read
// back equal and refused when it lies.

#include "components/containers/velcont.h"
#include "components/drawing/DrawRoutinesBitmaps.h"
#include "tests/support/MemoryBytes.h"
#include "tests/support/PixelMap.h"
#include "tests/support/Raises.h"

#include <gtest/gtest.h>

using namespace velvane;
using test::BytesOf;
using test::Paint;
using test::PaintedBitmap;
using test::Rows;
using test::RowsOf;
using test::StreamOf;

namespace {

std::unique_ptr<TVELImageListItem> Item(int width, int height, bool masked)
{
    auto item = TVELImageListItem::CreateSize(width, height);
    item->SetMasked(masked);
    return item;
}

// Cells cut from a picture given as rows, the mask (when given) likewise.
void AddCells(TVELImageListItem& item, const Rows& picture, const Rows& mask = {})
{
    auto slice = [&item](const Rows& rows, std::size_t x) {
        Rows cut;
        for (const std::string& row : rows) cut.push_back(row.substr(x, static_cast<std::size_t>(item.Width())));
        return cut;
    };
    for (std::size_t x = 0; x < picture[0].size(); x += static_cast<std::size_t>(item.Width())) {
        TBitmap cell, bits;
        Paint(cell, slice(picture, x));
        if (!mask.empty()) {
            Paint(bits, slice(mask, x));
            bits.SetMonochrome(true);
        }
        item.AddImage(&cell, mask.empty() ? nullptr : &bits);
    }
}

// What an item holds, to tell whether anything changed.
std::string Contents(TVELImageListItem& item)
{
    std::string s = std::to_string(item.Width()) + "x" + std::to_string(item.Height()) + " n" +
                    std::to_string(item.ImageCount()) + (item.Masked() ? " masked " : " plain ") + item.Description;
    for (int i = 0; i < item.ImageCount(); ++i) {
        TBitmap cell;
        item.CopyCell(i, &cell);
        for (const std::string& row : RowsOf(cell)) s += " " + row;
        if (!item.Masked()) continue;
        s += ' ';  // o opaque, t transparent
        for (int y = 0; y < item.Height(); ++y)
            for (int x = 0; x < item.Width(); ++x)
                s += item.MaskStrip().Canvas().Pixels(item.GetCellRect(i).Left + x, y) == clBlack ? 'o' : 't';
    }
    return s;
}

std::string Internal(TVELImageListItem& item)
{
    TMemoryStream s;
    item.WriteData(s);
    return BytesOf(s);
}

} // namespace

TEST(ImageListItem, GrowsByAllocByAndRefusesAnAddBeforeChangingAnything)
{
    auto item = Item(30, 30, false);
    for (int i = 0; i < 12; ++i) item->AddCell();
    EXPECT_EQ(item->ImageStrip().Width(), 360);
    item->AddCell();
    EXPECT_EQ(item->ImageStrip().Width(), 480);

    // 32 cells of 1024 fill the 16-bit strip; the 33rd changes nothing.
    auto wide = Item(1024, 1, true);
    for (int i = 0; i < 32; ++i) wide->AddCell();
    EXPECT_EQ(test::MessageOf<EInvalidGraphicOperation>([&] { wide->AddCell(); }), "Too many images");
    EXPECT_EQ(wide->ImageCount(), 32);
    EXPECT_EQ(wide->UsedWidth(), 32768);
    EXPECT_EQ(wide->MaskStrip().Width(), 32768);

    // Growing by nothing still makes room for the cell being added.
    for (int allocBy : {0, -3}) {
        auto none = Item(5, 2, true);
        none->SetAllocBy(allocBy);
        for (int i = 0; i < 3; ++i) none->AddCell();
        EXPECT_EQ(none->ImageStrip().Width(), 15) << allocBy;
        EXPECT_EQ(none->MaskStrip().Width(), 15);
        EXPECT_EQ(none->GetCellRect(2), Rect(10, 0, 15, 2));
    }
}

TEST(ImageListItem, SizesAreCheckedAndAChangeOfSizeDropsTheImages)
{
    EXPECT_THROW(TVELImageListItem::CreateSize(0, 5), EInvalidGraphicOperation);
    auto item = Item(2, 1, false);
    PaintedBitmap twoCells({"RGBY"}), odd({"RGB"});
    EXPECT_EQ(item->AddImage(&twoCells, nullptr), 0);  // its first cell
    EXPECT_EQ(test::MessageOf<EInvalidGraphicOperation>([&] { item->AddImage(&odd, nullptr); }),
              "Invalid image size");
    EXPECT_EQ(item->AddImage(nullptr, &odd), -1);
    EXPECT_EQ(Contents(*item), "2x1 n1 plain  RG");

    for (int same : {2, 0, -5}) item->SetWidth(same);
    EXPECT_EQ(item->ImageCount(), 1);
    item->SetWidth(3);
    EXPECT_EQ(item->ImageCount(), 0);
    // No cells, still the item's height.
    EXPECT_EQ(item->ImageStrip().Width(), 0);
    EXPECT_EQ(item->ImageStrip().Height(), 1);
    item->SetMasked(true);
    item->SetHeight(4);
    EXPECT_EQ(item->MaskStrip().Height(), 4);
    EXPECT_EQ(item->ImageStrip().Height(), 4);
}

TEST(ImageListItem, MasksAreOpaqueUnlessAMaskSaysOtherwise)
{
    auto item = Item(2, 1, false);
    AddCells(*item, {"RGBY"});
    item->SetMasked(true);
    // The images stay; the new mask covers the strip and is all opaque.
    EXPECT_EQ(Contents(*item), "2x1 n2 masked  RG oo BY oo");
    EXPECT_EQ(item->MaskStrip().Width(), item->ImageStrip().Width());
    EXPECT_TRUE(item->MaskStrip().Monochrome());

    PaintedBitmap picture({"MC"});
    item->ReplaceMasked(1, &picture, clFuchsia);
    EXPECT_EQ(Contents(*item), "2x1 n2 masked  RG oo KC to");
    item->ReplaceImage(1, &picture, nullptr);
    EXPECT_EQ(Contents(*item), "2x1 n2 masked  RG oo MC oo");

    // Drawn through the mask: transparent pixels keep the target.
    item->ReplaceMasked(1, &picture, clFuchsia);
    PaintedBitmap target({"ggggg"});
    target.Canvas().CopyMode = cmSrcInvert;
    item->DrawImage(target.Canvas(), 3, 0, 1);
    item->DrawImage(target.Canvas(), 0, 0, 0);
    EXPECT_EQ(RowsOf(target), (Rows{"RGggC"}));
    EXPECT_EQ(target.Canvas().CopyMode, cmSrcInvert);

    item->SetMasked(false);
    EXPECT_EQ(item->MaskStrip().Width(), 0);
    EXPECT_EQ(Contents(*item), "2x1 n2 plain  RG KC");
}

TEST(ImageListItem, CopiesAppendAndNeverEmptyTheItemItself)
{
    auto item = Item(2, 2, true);
    item->Description = "Go Back";
    AddCells(*item, {"RGBY", "KKgs"}, {"K.KK", "KKK."});
    const std::string before = Contents(*item);
    item->Assign(*item);
    EXPECT_EQ(Contents(*item), before);

    auto copy = Item(5, 5, false);
    copy->Assign(*item);
    EXPECT_EQ(Contents(*copy), before);
    copy->AppendImages(*item);
    EXPECT_EQ(copy->ImageCount(), 4);
    EXPECT_EQ(copy->GetCellRect(3), Rect(6, 0, 8, 2));

    auto other = Item(3, 2, false);
    EXPECT_THROW(copy->AppendImages(*other), EInvalidGraphicOperation);
    TVELStringListItem strings(nullptr);
    EXPECT_THROW(copy->Assign(strings), EConvertError);
    EXPECT_EQ(copy->ImageCount(), 4);
}

TEST(ImageListItem, CellsDrawStretchedClippedAndTransparentByTheirCorner)
{
    auto item = Item(2, 2, false);
    AddCells(*item, {"RGBY", "oGsK"});
    // Not masked: the cell's bottom-left colour is transparent.
    PaintedBitmap target({"....", "...."});
    TRect drawn;
    item->DrawImageRect(target.Canvas(), Rect(0, 0, 4, 2), dfTransparent | dfStretch, 0, drawn);
    EXPECT_EQ(drawn, Rect(0, 0, 4, 2));
    EXPECT_EQ(RowsOf(target), (Rows{"RRGG", "..GG"}));

    Paint(target, {"....", "...."});
    item->DrawImageExt(target.Canvas(), Rect(1, 0, 3, 2), dfClip | dfTile, 0, clNavy, 1);
    EXPECT_EQ(RowsOf(target), (Rows{".BY.", ".sK."}));
    EXPECT_THROW(item->DrawImageExt(target.Canvas(), Rect(0, 0, 2, 2), 0, 0, 0, 2), EListError);
}

TEST(ImageListItem, StoredFormLaysOutHeaderSizesAndTheStripCutToItsImages)
{
    auto item = Item(3, 2, false);
    item->Description = "Go Back";
    AddCells(*item, {"RGBYMC", "KKKggg"});
    const std::string bytes = Internal(*item);
    const std::string expected = std::string("\x02\x07Go Back", 9) + std::string("\x02\0\0\0\x03\0\0\0\x04\0\0\0\0", 13) +
                                 std::string("\x02\0\0\0", 4);
    EXPECT_EQ(bytes.substr(0, 26), expected);
    // The strip record: its length, then a 6 x 2 bitmap file of 24-bit rows.
    EXPECT_EQ(test::Int32At(bytes, 26), 54 + 20 * 2);
    EXPECT_EQ(bytes.substr(30, 2), "BM");
    EXPECT_EQ(test::Int32At(bytes, 30 + 18), 6);
    EXPECT_EQ(test::Int32At(bytes, 30 + 22), 2);
    EXPECT_EQ(bytes.size(), 30u + 94u);
}

TEST(ImageListItem, ListsInAStoredFormReadBackEqualPlainAndCompressed)
{
    for (bool compressed : {false, true}) {
        SCOPED_TRACE(compressed);
        TVELImageList list(nullptr);
        list.SetName("ImageList");
        list.DefaultPixelFormat = TVELSavePixelFormat::spf4bit;
        auto* first = static_cast<TVELImageListItem*>(list.GetItem(list.AddItem(nullptr)));
        first->SetWidth(2);
        first->SetHeight(2);
        first->SetMasked(true);
        first->Description = "Go Back";
        first->Compressed = compressed;
        first->PixelFormat = TVELSavePixelFormat::spf8bit;
        AddCells(*first, {"RGBYMC", "KKgsno"}, {"K.KKK.", "KK.KKK"});
        auto* second = static_cast<TVELImageListItem*>(list.GetItem(list.AddItem(nullptr)));
        second->SetWidth(1);
        second->SetHeight(1);
        second->SetAllocBy(9);
        second->Compressed = compressed;
        AddCells(*second, {"Y"});

        const std::string form = test::StoredFormOf(&list);
        TVELImageList back(nullptr);
        test::ReadStoredForm(form, &back);
        ASSERT_EQ(back.Count(), 2);
        EXPECT_EQ(back.DefaultPixelFormat, TVELSavePixelFormat::spf4bit);
        EXPECT_EQ(Contents(*back.Item(0)), Contents(*first));
        EXPECT_EQ(back.Item(0)->PixelFormat, TVELSavePixelFormat::spf8bit);
        EXPECT_EQ(back.Item(0)->Compressed, compressed);
        EXPECT_EQ(Contents(*back.Item(1)), Contents(*second));
        EXPECT_EQ(back.Item(1)->AllocBy(), 9);
        EXPECT_EQ(back.Item(1)->Owner(), &back);
        EXPECT_EQ(test::StoredFormOf(&back), form);  // written again, the same bytes
    }
}

TEST(ImageListItem, StoredFormsThatLieAreReadErrorsAndChangeNothing)
{
    auto sample = Item(2, 2, true);
    AddCells(*sample, {"RGBY", "KKgs"}, {"K.KK", "KKK."});
    const std::string plain = Internal(*sample);
    const std::int32_t stripLength = test::Int32At(plain, 18);
    const std::size_t mask = 22 + static_cast<std::size_t>(stripLength);
    sample->Compressed = true;
    const std::string compressed = Internal(*sample);

    auto target = Item(1, 1, false);
    target->Description = "kept";
    AddCells(*target, {"R"});
    const std::string kept = Contents(*target);
    // Why the form was refused ("" when it was not), and that it changed nothing.
    auto refusal = [&](const std::string& bytes) {
        TMemoryStream s = StreamOf(bytes);
        const std::string why = test::MessageOf<EReadError>([&] { target->ReadData(s); });
        EXPECT_EQ(Contents(*target), kept) << why;
        return why == "no error" ? std::string() : why;
    };

    const std::string damaged = "Image list data is damaged: ";
    struct Lie {
        std::size_t at;
        std::int32_t value;
        std::string why;
    } lies[] = {
        {1, 0, damaged + "image size 2 x 0"}, {1, -2, damaged + "image size 2 x -2"},
        {1, 40000, damaged + "image size 2 x 40000"}, {5, 0, damaged + "image size 0 x 2"},
        {5, -1, damaged + "image size -1 x 2"}, {14, -1, damaged + "image count -1"},
        {14, 20000, damaged + "20000 images of 2 x 2"},
        {14, 3, "A bitmap record holds a picture of 4 x 2 where 6 x 2 belongs"},  // more images than the strip holds
        {18, -1, "Stream read error"}, {18, 0x7FFFFFFF, "Stream read error"},     // strip record length
        {22 + 18, 5, "A bitmap record holds a picture of 5 x 2 where 4 x 2 belongs"},  // the strip's own width
        {22 + 22, 3, "A bitmap record holds a picture of 4 x 3 where 4 x 2 belongs"},  // and height
        {mask, 0x10000, "Stream read error"},                              // mask record length
        {mask + 4 + 18, 2, "A bitmap record holds a picture of 2 x 2 where 4 x 2 belongs"},
    };
    for (const Lie& lie : lies) {
        std::string bytes = plain;
        test::PutInt32(bytes, lie.at, lie.value);
        EXPECT_EQ(refusal(bytes), lie.why) << lie.at << " := " << lie.value;
    }
    std::string maskFlag = plain;
    maskFlag[13] = 2;
    EXPECT_EQ(refusal(maskFlag), damaged + "mask flag 2");
    for (const std::string* whole : {&plain, &compressed})
        for (std::size_t n = 0; n < whole->size(); ++n) ASSERT_NE(refusal(whole->substr(0, n)), "") << n;

    // The whole form reads.
    TMemoryStream s = StreamOf(compressed);
    target->ReadData(s);
    EXPECT_EQ(Contents(*target), Contents(*sample));
}

TEST(ImageListItem, OlderFormsGiveTheImagesAloneAtTheItemsSettings)
{
    // Such forms carry the image block as "Bitmap" instead of "Internal".
    auto source = Item(2, 1, true);
    AddCells(*source, {"RGBY"}, {"K.KK"});
    std::string bytes = test::StoredFormOf(source.get());
    const std::string internal = "\x08Internal\x0A";
    const std::size_t at = bytes.find(internal);
    ASSERT_NE(at, std::string::npos);
    const std::string block = Internal(*source).substr(14);  // the count and the records
    std::string length(4, '\0');
    test::PutInt32(length, 0, static_cast<std::int32_t>(block.size()));
    bytes.replace(at, internal.size() + 4 + static_cast<std::size_t>(test::Int32At(bytes, at + internal.size())),
                  "\x06" "Bitmap\x0A" + length + block);

    TVELImageListItem item(nullptr);
    test::ReadStoredForm(bytes, &item);
    EXPECT_EQ(Contents(item), Contents(*source));
}
