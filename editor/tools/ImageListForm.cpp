// Build step: writes the stored form of an image list from our own pictures,
// through the same filer that reads it back when a window is made.
//
//   imagelist_form OUTPUT NAME [--item DESCRIPTION WIDTH HEIGHT PICTURE...]...
//
// Each --item adds an image-list item of that cell size whose images are the
// pictures in order, one picture a cell.

#include "components/containers/velcont.h"
#include "platform/classes/Filer.h"
#include "platform/rtl/FileUtils.h"

#include <QImage>

#include <cstdio>
#include <string>
#include <vector>

using namespace velvane;

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUTPUT NAME [--item DESCRIPTION WIDTH HEIGHT PICTURE...]...\n", argv[0]);
        return 2;
    }
    try {
        TVELImageList list(nullptr);
        list.SetName(argv[2]);
        TVELImageListItem* item = nullptr;
        for (int i = 3; i < argc; ++i) {
            const std::string arg = argv[i];
            if (arg == "--item") {
                if (i + 3 >= argc) throw Exception("--item needs a description, a width and a height");
                item = static_cast<TVELImageListItem*>(list.GetItem(list.AddItem(nullptr)));
                item->Description = argv[i + 1];
                item->SetWidth(std::stoi(argv[i + 2]));
                item->SetHeight(std::stoi(argv[i + 3]));
                i += 3;
                continue;
            }
            if (!item) throw Exception("a picture before the first --item");
            const QImage picture(QString::fromStdString(arg));
            if (picture.isNull()) throw Exception("cannot read the picture " + arg);
            TBitmap bitmap;
            bitmap.Image() = picture.convertToFormat(QImage::Format_RGB32);
            if (item->AddImage(&bitmap, nullptr) < 0) throw Exception("no picture in " + arg);
        }
        TMemoryStream form;
        WriteComponentToStream(form, &list);
        AtomicWriteFile(argv[1],
                        std::string_view(reinterpret_cast<const char*>(form.Memory()), static_cast<std::size_t>(form.Size())));
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s: %s\n", argv[0], e.Message().c_str());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
        return 1;
    }
    return 0;
}
