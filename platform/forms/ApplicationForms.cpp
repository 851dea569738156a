// The parts of TApplication that deal with forms, apart so that the rest of
// the application object links without them.

#include "platform/forms/Application.h"

#include "platform/forms/Form.h"

#include <QApplication>

namespace velvane {

void TApplication::AfterCreateForm(TForm* form)
{
    if (!mainForm_) {
        mainForm_ = form;
        mainComponent_ = form;
        form->IsMainForm = true;
        // Closing the main form ends the program.
        TForm::OnMainFormClosed = [] {
            if (Application) Application->Terminate();
        };
    }
    // A failing creation handler is reported; the form stays and the
    // program goes on, as with any other handler.
    try {
        form->DoCreate();
    } catch (...) {
        HandleException(form);
    }
}

void TApplication::Run()
{
    if (terminated_) return;
    if (mainForm_ && ShowMainForm) {
        try {
            mainForm_->Show();
        } catch (...) {
            HandleException(mainForm_);
        }
    }
    // A show handler may have ended the program already.
    if (terminated_) return;
    QCoreApplication::exec();
    // However the loop ended, the program is ending now.
    terminated_ = true;
}

} // namespace velvane
