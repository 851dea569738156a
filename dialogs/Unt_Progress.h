#pragma once
// TFormProgress: the borderless box shown while a download runs, with an
// animation, a progress bar and a Cancel button that stops the transfer of
// DownloadClient. Each program makes one at start (after its main window)
// and keeps it in FormProgress; closing only hides it, for the next download.

#include "platform/forms/Animate.h"
#include "platform/forms/Buttons.h"
#include "platform/forms/Form.h"

class QLabel;
class QProgressBar;

namespace velvane {

class TIdHTTP;

class TFormProgress : public TForm {
public:
    explicit TFormProgress(TComponent* owner);
    const char* ClassName() const override { return "TFormProgress"; }

    QLabel* BasePanel = nullptr;
    TAnimate* Animate = nullptr;
    QProgressBar* ProgBar = nullptr;
    TBitBtn* Btn_Cancel = nullptr;

    void FormShow(QObject* sender);
    void FormClose(QObject* sender, TCloseAction& action);
    void Btn_CancelClick(QObject* sender);

    // The bar's maximum (its minimum stays 0) and position.
    void SetRange(int max);
    void SetPosition(int position);

    // Shows the box over the given window, as a separate borderless box that
    // stays on top of it; nullptr makes it a window of its own again. The
    // box goes with its parent: give it back before freeing the parent.
    void SetParentWindow(QWidget* parent);

protected:
    void WndProc(TMessage& message) override;
};

// The client whose transfer the box shows; Cancel disconnects it.
extern TIdHTTP* DownloadClient;
// Sets DownloadClient and clears it again when that client is freed.
void SetDownloadClient(TIdHTTP* client);

// The program's one progress box.
extern TFormProgress* FormProgress;

} // namespace velvane
