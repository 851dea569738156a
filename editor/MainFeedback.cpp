// What the window shows while a download runs: the progress box, the status
// texts and the result of the transfer.

#include "editor/Main.h"

#include "dialogs/Unt_Progress.h"
#include "editor/NetConnection.h"
#include "editor/WallPaper.h"
#include "platform/forms/Application.h"
#include "platform/net/HTTPClient.h"
#include "settings/HttpResultTexts.h"

#include <QListWidget>
#include <QProgressBar>

namespace velvane {

void TMainForm::HTTPcWorkBegin(QObject*, TWorkMode, std::int64_t countMax)
{
    ApplyCursor(CheckList, TCursor::crHourGlass);
    SetDownloadClient(HTTPc);
    if (FormProgress) {
        FormProgress->ProgBar->setValue(0);
        FormProgress->ProgBar->setMaximum(static_cast<int>(std::min<std::int64_t>(countMax, INT32_MAX)));
        FormProgress->SetParentWindow(Widget());
        // Pictures show their progress; the settings download does not.
        if (WallPaper->Busy || Busy) FormProgress->Show();
    }
    if (Application) Application->ProcessMessages();
}

void TMainForm::HTTPcWork(QObject*, TWorkMode, std::int64_t count)
{
    if (FormProgress) FormProgress->ProgBar->setValue(static_cast<int>(std::min<std::int64_t>(count, INT32_MAX)));
    if (NetConnection->Busy) StatusBar->SetPanel(1, Msg(0));
    if (WallPaper->Busy) StatusBar->SetPanel(1, Msg(22));
    if (Application) Application->ProcessMessages();
}

void TMainForm::HTTPcWorkEnd(QObject*, TWorkMode)
{
    if (FormProgress) FormProgress->Close();
    ApplyCursor(CheckList, TCursor::crDefault);
    int line = EditorResultLine(HTTPc->ResponseCode());
    if (line >= 0) StatusBar->SetPanel(1, Msg(line));
}

} // namespace velvane
