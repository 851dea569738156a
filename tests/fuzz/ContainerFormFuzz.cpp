// A container of each kind read from any bytes, as a stored form or as a
// whole-list stream: a read error or a list whose every operation answers
// (the first byte picks the kind and the road). What reads is written,
// and that reads again to the same bytes.

#include "components/containers/velcont.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/FuzzInput.h"

#include <cstdint>
#include <memory>

using namespace velvane;

namespace {

const char* const Kinds[] = {"TVELImageList", "TVELBitmapList", "TVELStringList", "TVELWaveList",
                             "TVELImageListConnector"};

std::unique_ptr<TVELCustomContainer> Make(int kind)
{
    return std::unique_ptr<TVELCustomContainer>(static_cast<TVELCustomContainer*>(FindClass(Kinds[kind])(nullptr)));
}

// Every question of the image-list interface, the images only where the
// list calls them valid; a few items and images are enough.
void Ask(TVELCustomImageList& list)
{
    TBitmap target;
    target.SetSize(24, 24);
    for (int i = -1; i <= list.Count() && i < 4; ++i) {
        for (std::uint8_t which : {0, 1, 2}) (void)list.GetImageExtent(i, which);
        const int count = list.GetImageCount(i);
        FUZZ_CHECK(count >= -1);
        (void)list.GetItemPalette(i);
        for (int j = -1; j < 4; ++j) {
            if (!list.IsValidImage(i, j)) continue;
            FUZZ_CHECK(i >= 0 && i < list.Count());
            TBitmap image;
            list.GetImage(i, j, &image);
            (void)list.GetTransparentColor(i, j);
            (void)list.GetPixel(TPoint{1, 1}, i, j);
            (void)list.IsMasked(i);
            list.Draw(target.Canvas(), 2, 2, i, j);
            TRect drawn;
            list.DrawRect(target.Canvas(), TRect{0, 0, 24, 24}, 0x0018, i, j, drawn);
            list.DrawExt(target.Canvas(), TRect{3, 3, 20, 20}, 0x0001, 0x00020002, clWhite, i, j);
        }
    }
}

std::string Stored(TVELCustomContainer& list)
{
    TMemoryStream s;
    WriteComponentToStream(s, &list);
    return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool registered = (RegisterContainerClasses(), true);
    (void)registered;
    test::FuzzInput input(data, size);
    const std::uint8_t choice = input.Byte();
    const int kind = choice % 5;
    const int road = choice / 5 % 3;
    const std::string bytes = input.Rest();

    auto list = Make(kind);
    TMemoryStream s;
    s.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    s.SetPosition(0);
    try {
        if (road == 0)
            ReadComponentFromStream(s, list.get());
        else if (kind != 4)  // a connector holds no items of its own
            list->ReadFromStream(s, road == 2);
    } catch (const EReadError&) {
        // Every damaged form is a read error, and nothing else escapes.
    }
    for (int i = 0; i < list->Count(); ++i) FUZZ_CHECK(list->GetItem(i) != nullptr);
    if (auto* images = dynamic_cast<TVELCustomImageList*>(list.get())) Ask(*images);

    // What was read is written, and reads again to the same bytes.
    const std::string form = Stored(*list);
    auto again = Make(kind);
    TMemoryStream back;
    back.WriteBuffer(form.data(), static_cast<std::int64_t>(form.size()));
    back.SetPosition(0);
    ReadComponentFromStream(back, again.get());
    FUZZ_CHECK(again->Count() == list->Count());
    FUZZ_CHECK(Stored(*again) == form);
    return 0;
}
