#pragma once
// TCfgForm: the editor's settings dialog. The settings command copies the
// settings into the controls, shows the dialog modally and, when it ends
// with OK, takes them back through Values(). The dialog ends with OK only
// when every field converts, so the settings are never half taken.

#include "components/controls/VELButton.h"
#include "components/controls/VELDrawEdge.h"
#include "platform/forms/Buttons.h"
#include "platform/forms/ComCtrls.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/Form.h"
#include "platform/forms/StdCtrls.h"

#include <cstdint>

class QGroupBox;
class QLabel;

namespace velvane {

class TIntEdit;

// Every setting of the dialog, converted.
struct TCfgValues {
    String MailUser;
    int Action = 0;
    int TimeLength = 0;
    int Order = 0;
    int ConType = 0;
    String ProxyIP;
    std::int32_t ProxyPort = 0;  // the port value's low 32 bits
    bool Activate = false;
    bool UseDefaultImage = false;
    bool IEProxyAuto = false;
    bool Silent = false;
    int Priority = 0;
};

class TCfgForm : public TForm {
public:
    explicit TCfgForm(TComponent* owner);
    const char* ClassName() const override { return "TCfgForm"; }

    TLabeledEdit* MailDerss = nullptr;
    TRadioGroup* Atualization = nullptr;
    TComboBox* TimeLength = nullptr;
    TRadioGroup* Order = nullptr;
    QGroupBox* ProXY = nullptr;
    TComboBox* ConType = nullptr;
    TCheckBox* AutoProxy = nullptr;
    TEdit* ProXY_IP = nullptr;
    QLabel* ProXY_IPLabel = nullptr;
    TIntEdit* ProXY_Port = nullptr;
    QLabel* ProXY_PortLabel = nullptr;
    TCheckBox* SilentDownload = nullptr;
    QLabel* TrackPriorityLabel = nullptr;
    TTrackBar* TrackPriority = nullptr;
    TVELDrawEdge* VELDrawEdge1 = nullptr;
    TCheckBox* UseDefaultImage = nullptr;
    TCheckBox* Activate = nullptr;
    TVELButton* Btn_OK = nullptr;
    TVELButton* Btn_Cancel = nullptr;

    void AtualizationClick(QObject* sender);
    void ConTypeChange(QObject* sender);
    void AutoIEProxy(QObject* sender);
    void TimeLengthChange(QObject* sender);
    void Btn_OKClick(QObject* sender);

    // True when every field converts; otherwise tells the user which field
    // is wrong, puts the focus there and returns false.
    bool Validate();
    // The settings as the controls hold them; raises EConvertError naming
    // the field when one does not convert (never after an OK).
    TCfgValues Values() const;
};

} // namespace velvane
