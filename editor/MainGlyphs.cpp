// The main window's image list, stored with the window as the component
// library's stored form, and the pictures its buttons take from it.

#include "editor/Main.h"

#include "components/containers/velcont.h"
#include "components/controls/VELButton.h"
#include "platform/classes/Filer.h"

#include <QFile>

namespace velvane {

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
        TVELButton* button;
        int list, image;
    };
    const Glyph glyphs[] = {
        {Nav_Back, 0, 0},   {Nav_Next, 0, 1},   {Nav_Stop, 0, 2},  {Nav_Refresh, 0, 3}, {Nav_Home, 0, 4},
        {File_Open, 0, 5},  {File_Close, 0, 6}, {File_Save, 0, 7}, {File_New, 0, 8},    {Preview, 0, 9},
        {File_Frame, 0, 10}, {SetUp, 0, 11},    {AppExit, 0, 12},  {Nav_Go, 1, 0},      {Nav_AddToList, 1, 0},
    };
    for (const Glyph& g : glyphs) {
        g.button->SetImageList(ImageList);
        g.button->SetIndex(1, g.list);
        g.button->SetIndex(0, g.image);
    }
}

} // namespace velvane
