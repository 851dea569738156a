#pragma once
// Message boxes as the programs call them.

#include "platform/forms/ModalService.h"

namespace velvane {

// A box with the text and an OK button.
void ShowMessage(const String& text);
// A box of the given kind and buttons; returns the modal result.
int MessageDlg(const String& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext = 0);

} // namespace velvane
