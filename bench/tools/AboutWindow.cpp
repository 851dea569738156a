// A program that shows a window and does not browse: the about box the
// programs share, on its own. Its start-up is measured against the editor's.

#include "dialogs/Unt_About.h"
#include "platform/forms/Application.h"

int main(int argc, char** argv)
{
    using namespace velvane;
    TApplication app(argc, argv);
    app.SetTitle("Velvane");
    app.CreateForm<TAboutBox>();
    app.Run();
    return 0;
}
