// The editor program. Command-line arguments are ignored.

#include "components/ComponentLibrary.h"
#include "dialogs/Unt_Progress.h"
#include "editor/Main.h"
#include "platform/forms/Application.h"
#include "browser/WebBrowser.h"

int main(int argc, char** argv)
{
    using namespace velvane;
    // Before the application object: the browser page needs it.
    PrepareWebEngine();
    AppVersion = kEditorVersion;
    TApplication app(argc, argv);
    // The component library's objects exist before any window.
    TComponentLibrary library;
    app.SetTitle("Velvane");
    app.HelpFile = "kestrin.hlp";
    app.CreateForm<TMainForm>();
    FormProgress = app.CreateForm<TFormProgress>();
    app.Run();
    return 0;
}
