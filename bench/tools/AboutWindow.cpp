// A program of ours that shows a window and does not browse: the about box,
// with the download progress box made as the programs make it (the two
// dialogs the tray agent shares with the editor). Its start-up is measured
// against the editor's.

#include "dialogs/Unt_About.h"
#include "dialogs/Unt_Progress.h"
#include "platform/forms/Application.h"

int main(int argc, char** argv)
{
    using namespace velvane;
    TApplication app(argc, argv);
    app.SetTitle("Velvane");
    app.CreateForm<TAboutBox>();
    FormProgress = app.CreateForm<TFormProgress>();
    app.Run();
    return 0;
}
