// The tray agent program ("Lumetra"). Command-line arguments are ignored.

#include "agent/MainService.h"
#include "components/ComponentLibrary.h"
#include "components/foundation/velclass.h"
#include "dialogs/Unt_Progress.h"
#include "platform/forms/Application.h"

int main(int argc, char** argv)
{
    using namespace velvane;
    AppVersion = agent::kAgentVersion;
    TApplication app(argc, argv);
    // The component library's objects exist before any window.
    TComponentLibrary library;
    // A second agent would change the wallpaper and write the settings in
    // step with the first: it ends before it touches either.
    if (GlobalApplication && GlobalApplication->AlreadyRunning) return 0;
    app.SetTitle("Lumetra");
    app.CreateForm<agent::TMainForm>();
    FormProgress = app.CreateForm<TFormProgress>();
    app.Run();
    return 0;
}
