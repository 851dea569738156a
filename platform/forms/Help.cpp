#include "platform/forms/Help.h"

#include "platform/forms/Application.h"
#include "platform/forms/Dialogs.h"
#include "platform/rtl/AppPaths.h"
#include "platform/win/WinError.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

#include <filesystem>
#include <utility>

namespace velvane {

namespace {

bool OpenWithDesktop(const String& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

HelpOpener& CurrentOpener()
{
    static HelpOpener opener = OpenWithDesktop;
    return opener;
}

// The folder for the user, without the trailing '/'.
String FolderText(const std::filesystem::path& file)
{
    return file.parent_path().string();
}

} // namespace

HelpOpener SetHelpOpener(HelpOpener opener)
{
    HelpOpener previous = std::move(CurrentOpener());
    CurrentOpener() = opener ? std::move(opener) : HelpOpener(OpenWithDesktop);
    return previous;
}

BOOL WinHelpA(HWND, LPCSTR helpFile, UINT command, ULONG_PTR)
{
    if (!helpFile || !*helpFile) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (command == HELP_QUIT) return TRUE;

    std::filesystem::path file(helpFile);
    if (file.is_relative()) file = std::filesystem::path(GetAppFilePath()) / file;
    const String name = file.filename().string();

    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        MessageDlg("O arquivo de ajuda \"" + name + "\" não foi encontrado em " + FolderText(file) + ".",
                   TMsgDlgType::mtInformation, mbOK);
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    if (!CurrentOpener()(file.string())) {
        MessageDlg("Não há programa neste sistema para abrir o arquivo de ajuda \"" + name + "\".",
                   TMsgDlgType::mtInformation, mbOK);
        SetLastError(ERROR_NO_ASSOCIATION);
        return FALSE;
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

// Kept with the help call it wraps.
bool TApplication::HelpCommand(int command, std::intptr_t data)
{
    if (HelpFile.empty()) return false;
    return WinHelpA(nullptr, HelpFile.c_str(), static_cast<UINT>(command), static_cast<ULONG_PTR>(data)) != FALSE;
}

} // namespace velvane
