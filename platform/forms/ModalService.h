#pragma once
// Every modal interaction (message boxes, file dialogs, modal forms) passes
// through one responder. The programs use the Qt one;
// tests install a scripted responder, so no test ever blocks on a dialog.

#include "platform/rtl/Types.h"

namespace velvane {

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

enum TMsgDlgBtn : unsigned {
    mbYes = 1u << 0,
    mbNo = 1u << 1,
    mbOK = 1u << 2,
    mbCancel = 1u << 3,
    mbAbort = 1u << 4,
    mbRetry = 1u << 5,
    mbIgnore = 1u << 6,
    mbAll = 1u << 7,
    mbNoToAll = 1u << 8,
    mbYesToAll = 1u << 9,
    mbHelp = 1u << 10,
};
using TMsgDlgButtons = unsigned;
constexpr TMsgDlgButtons mbOKCancel = mbOK | mbCancel;
constexpr TMsgDlgButtons mbYesNo = mbYes | mbNo;
constexpr TMsgDlgButtons mbYesNoCancel = mbYes | mbNo | mbCancel;

// Modal results.
constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;
constexpr int mrAbort = 3;
constexpr int mrRetry = 4;
constexpr int mrIgnore = 5;
constexpr int mrYes = 6;
constexpr int mrNo = 7;
constexpr int mrAll = 8;
constexpr int mrNoToAll = 9;
constexpr int mrYesToAll = 10;

class TForm;

struct ModalRequest {
    enum class Kind { Message, OpenFile, SaveFile, Form };
    Kind kind = Kind::Message;
    String caption;  // empty: the application's title
    // Message boxes.
    String text;
    TMsgDlgType type = TMsgDlgType::mtCustom;
    TMsgDlgButtons buttons = mbOK;
    // File dialogs: filter in the "Text|*.a;*.b|Other|*.c" form, extension
    // added to a name typed without one, the folder and name to start with.
    String filter;
    String defaultExt;
    String initialDir;
    String fileName;
    // Modal forms: the form to show; the answer is its modal result.
    TForm* form = nullptr;
};

struct ModalAnswer {
    ModalAnswer() = default;
    ModalAnswer(int result, String fileName = {}) : result(result), fileName(std::move(fileName)) {}

    int result = mrNone;  // for file dialogs mrOk or mrCancel
    String fileName;      // file dialogs: the chosen file
};

class ModalResponder {
public:
    virtual ~ModalResponder() = default;
    virtual ModalAnswer Answer(const ModalRequest& request) = 0;
};

// Installs a responder (not owned); nullptr returns to the Qt one.
void SetModalResponder(ModalResponder* responder);
ModalAnswer RunModal(const ModalRequest& request);

// The result a box gives when it is closed without a choice: Cancel, else
// No, else OK, else the first button.
int DefaultResult(TMsgDlgButtons buttons);

} // namespace velvane
