#include "platform/forms/Dialogs.h"

namespace velvane {

void ShowMessage(const String& text)
{
    ModalRequest request;
    request.text = text;
    request.buttons = mbOK;
    RunModal(request);
}

int MessageDlg(const String& text, TMsgDlgType type, TMsgDlgButtons buttons, int)
{
    ModalRequest request;
    request.text = text;
    request.type = type;
    request.buttons = buttons;
    return RunModal(request).result;
}

} // namespace velvane
