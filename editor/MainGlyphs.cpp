// The main window's image list, stored with the window as the component
// library's stored form, and the pictures its buttons take from it.

#include "editor/Main.h"

#include "components/velcont.h"
#include "platform/classes/Filer.h"

#include <QFile>
#include <QIcon>
#include <QPixmap>
#include <QToolButton>

namespace velvane {

namespace {

// The picture with its transparent colour (the bottom-left pixel) see-through.
QIcon IconOf(const TBitmap& cell)
{
    QImage image = cell.Image().convertToFormat(QImage::Format_ARGB32);
    const QRgb key = ColorToQRgb(cell.TransparentColor()) & 0xFFFFFFu;
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((row[x] & 0xFFFFFFu) == key) row[x] = 0;
    }
    return QIcon(QPixmap::fromImage(image));
}

} // namespace

void TMainForm::LoadStoredImageList()
{
    ImageList = new TVELImageList(this);
    QFile file(":/editor/MainForm.ImageList.form");
    if (!file.open(QIODevice::ReadOnly)) throw EFOpenError("Cannot open resource MainForm.ImageList.form");
    const QByteArray bytes = file.readAll();
    TMemoryStream form;
    form.WriteBuffer(bytes.constData(), bytes.size());
    form.SetPosition(0);
    ReadComponentFromStream(form, ImageList);

    // List 0 holds the tool bar's pictures in the order of the buttons' tags;
    // list 1 the address bar's.
    struct Glyph {
        QToolButton* button;
        int list, image;
    };
    const Glyph glyphs[] = {
        {Nav_Back, 0, 0},   {Nav_Next, 0, 1},   {Nav_Stop, 0, 2},  {Nav_Refresh, 0, 3}, {Nav_Home, 0, 4},
        {File_Open, 0, 5},  {File_Close, 0, 6}, {File_Save, 0, 7}, {File_New, 0, 8},    {Preview, 0, 9},
        {File_Frame, 0, 10}, {SetUp, 0, 11},    {AppExit, 0, 12},  {Nav_Go, 1, 0},      {Nav_AddToList, 1, 0},
    };
    for (const Glyph& g : glyphs) {
        if (!ImageList->IsValidImage(g.list, g.image)) continue;
        TBitmap cell;
        ImageList->GetImage(g.list, g.image, &cell);
        g.button->setIcon(IconOf(cell));
        g.button->setIconSize(QSize(cell.Width(), cell.Height()));
        g.button->setToolButtonStyle(g.list == 0 ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonTextBesideIcon);
    }
}

} // namespace velvane
