#include "dialogs/Config.h"

#include "platform/forms/FormLook.h"

#include "dialogs/NumEdit.h"
#include "platform/forms/Dialogs.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"
#include "platform/win/Registry.h"

#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

#include <arpa/inet.h>
#include <netinet/in.h>

#include <optional>

namespace velvane {

namespace {

const char* const kInternetSettings = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

QString Q(const char* text) { return QString::fromUtf8(text); }

QLabel* Label(const char* text, QWidget* parent, int left, int top)
{
    auto* label = new QLabel(Q(text), parent);
    label->adjustSize();
    label->move(left, top);
    return label;
}

std::optional<int> WholeNumber(const String& text)
{
    try {
        return StrToInt(text);
    } catch (const EConvertError&) {
        return std::nullopt;
    }
}

// The browser's proxy, "" when none is set.
String ReadBrowserProxy()
{
    TRegistry registry(KEY_READ);
    registry.SetRootKey(HKEY_CURRENT_USER);
    String value;
    if (registry.OpenKeyReadOnly(kInternetSettings)) {
        value = registry.ReadString("ProxyServer");
        registry.CloseKey();
    }
    return value;
}

struct ProxyAddress {
    String ip;
    int port = 0;
};

// "host:port" split at the first ':'; without one the whole text is the port.
// nullopt when the port part is not a whole number, as in the per-protocol
// form "http=host:port;ftp=host:port".
std::optional<ProxyAddress> SplitProxy(const String& value)
{
    const auto colon = value.find(':');
    const String portText = colon == String::npos ? value : value.substr(colon + 1);
    const std::optional<int> port = WholeNumber(portText);
    if (!port) return std::nullopt;
    ProxyAddress address{colon == String::npos ? String() : value.substr(0, colon), *port};
    if (address.ip.empty()) address.ip = "0.0.0.0";
    return address;
}

String BadProxyMessage(const String& value)
{
    return "Valor inválido no campo \"Configuração automática\": o proxy do navegador padrão (\"" + value +
           "\") não está no formato endereço:porta.";
}

// A host name (letters, digits and hyphens in dotted labels) or an IP
// address, as a proxy can be reached at; no blanks.
bool IsHostAddress(const String& text)
{
    if (text.empty() || text.size() > 253) return false;
    if (text.find(':') != String::npos) {
        in6_addr v6;
        return inet_pton(AF_INET6, text.c_str(), &v6) == 1;
    }
    bool allNumeric = true;
    size_t start = 0;
    while (true) {
        const size_t dot = text.find('.', start);
        const String label = text.substr(start, dot == String::npos ? String::npos : dot - start);
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-') return false;
        for (char c : label) {
            const bool digit = c >= '0' && c <= '9';
            if (!digit && !(c >= 'a' && c <= 'z') && !(c >= 'A' && c <= 'Z') && c != '-') return false;
            allNumeric = allNumeric && digit;
        }
        if (dot == String::npos) break;
        start = dot + 1;
    }
    // Numbers alone make an IPv4 address or nothing.
    in_addr v4;
    return !allNumeric || inet_pton(AF_INET, text.c_str(), &v4) == 1;
}

String NotANumber(const char* field, const String& text)
{
    const String why = text.empty() ? String("o campo está vazio") : "\"" + text + "\" não é um número inteiro";
    return String("Valor inválido no campo ") + field + ": " + why + ".";
}

} // namespace

TCfgForm::TCfgForm(TComponent* owner) : TForm(owner)
{
    SetName("CfgForm");
    QWidget* window = Widget();
    window->setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    SetCaption("Configurações");
    Position = TPosition::poScreenCenter;
    SetClassicFont(window);
    window->setFixedSize(427, 404);

    MailDerss = Named(new TLabeledEdit("E-Mail ( Servidor SMTP )", window), "MailDerss");
    MailDerss->SetBounds(8, 24, 411, 21);

    Atualization = Named(new TRadioGroup("Atualizar a cada...",
                                         {"Inicialização", "1 vez por dia", "                   hora(s)", "Semana",
                                          "Conexão"},
                                         window),
                         "Atualization");
    Atualization->setGeometry(8, 54, 205, 140);
    Atualization->SetItemIndex(0);
    // The hours box sits in the blank start of the third item's line.
    QRadioButton* hoursItem = Atualization->Button(2);
    TimeLength = Named(new TComboBox(true, hoursItem), "TimeLength");
    for (int hours = 1; hours <= 12; ++hours) TimeLength->addItem(QString::number(hours));
    TimeLength->SetText("1");
    TimeLength->setGeometry(22, 0, 52, 21);
    hoursItem->setMinimumHeight(23);

    Order = Named(new TRadioGroup("Ordem", {"Sequencial", "Aleatória"}, window), "Order");
    Order->setGeometry(221, 54, 198, 64);
    Order->SetItemIndex(0);

    TrackPriorityLabel = Label("Prioridade de download", window, 225, 124);
    TrackPriority = Named(new TTrackBar(0, 3, window), "TrackPriority");
    TrackPriority->setGeometry(221, 140, 198, 32);
    TrackPriority->setTickPosition(QSlider::TicksBothSides);
    TrackPriority->SetPosition(2);
    Label(" Baixa", window, 221, 174);
    Label("Média", window, 279, 174);
    Label("Nornal", window, 336, 174);
    Label("Alta ", window, 393, 174);

    ProXY = Named(new QGroupBox(Q("Conexão"), window), "ProXY");
    ProXY->setGeometry(8, 200, 411, 112);
    ConType = Named(new TComboBox(false, ProXY), "ConType");
    ConType->AddItems({"-----------", "DialUp ( 56.6 Kbps  )", "Rede ( 10 Mb )", "Proxy ( 56.6 Kbps  )",
                       "Hight Speed ( 256Kbps + )"});
    ConType->SetItemIndex(0);
    ConType->setGeometry(8, 22, 200, 22);
    AutoProxy = Named(new TCheckBox("Configuração automática", ProXY), "AutoProxy");
    AutoProxy->setToolTip(Q("Detectar as configurações Proxy do navegador padrão"));
    AutoProxy->setGeometry(216, 24, 188, 18);
    AutoProxy->setEnabled(false);
    ProXY_IPLabel = Label("IP:", ProXY, 8, 58);
    ProXY_IP = Named(new TEdit(ProXY), "ProXY_IP");
    ProXY_IP->setGeometry(32, 54, 130, 21);
    ProXY_IP->SetText("0.0.0.0");
    ProXY_IP->setEnabled(false);
    ProXY_PortLabel = Label("Porta:", ProXY, 176, 58);
    ProXY_Port = Named(new TIntEdit(ProXY), "ProXY_Port");
    ProXY_Port->setGeometry(214, 54, 56, 21);
    ProXY_Port->setEnabled(false);
    SilentDownload = Named(new TCheckBox("Download silencioso", ProXY), "SilentDownload");
    SilentDownload->setToolTip(Q("Exibir ou não a barra de progresso durante o donwload da imagem"));
    SilentDownload->setGeometry(8, 86, 240, 18);

    // The frame is drawn on the window; the controls inside it stand on the
    // window over it.
    VELDrawEdge1 = Named(new TVELDrawEdge(this, window), "VELDrawEdge1");
    VELDrawEdge1->SetBounds(0, 320, 427, 84);
    UseDefaultImage =
        Named(new TCheckBox("Baixar imagem padrão quando não localizar imagem na web", window), "UseDefaultImage");
    UseDefaultImage->setGeometry(8, 328, 411, 18);
    Activate = Named(new TCheckBox("Ativar Lumetra", window), "Activate");
    Activate->setGeometry(8, 350, 200, 18);
    Btn_OK = Named(new TVELButton(this, window), "Btn_OK");
    Btn_OK->SetCaption("&OK");
    Btn_OK->SetBounds(258, 370, 75, 25);
    Btn_OK->SetDefault(true);
    Btn_Cancel = Named(new TVELButton(this, window), "Btn_Cancel");
    Btn_Cancel->SetCaption("&Cancelar");
    Btn_Cancel->ModalResult = mrCancel;
    Btn_Cancel->SetBounds(342, 370, 75, 25);
    VELDrawEdge1->lower();

    Atualization->OnClick = [this](QObject* sender) { AtualizationClick(sender); };
    ConType->OnChange = [this](QObject* sender) { ConTypeChange(sender); };
    AutoProxy->OnClick = [this](QObject* sender) { AutoIEProxy(sender); };
    TimeLength->OnChange = [this](QObject* sender) { TimeLengthChange(sender); };
    Btn_OK->OnClick = [this](QObject* sender) { Btn_OKClick(sender); };
}

void TCfgForm::AtualizationClick(QObject*) { TimeLength->setEnabled(Atualization->ItemIndex() == 2); }

void TCfgForm::ConTypeChange(QObject*)
{
    AutoProxy->setEnabled(false);
    switch (ConType->ItemIndex()) {
    case 0:
    case 1:
        ProXY_IP->setEnabled(false);
        ProXY_Port->setEnabled(false);
        AutoProxy->SetChecked(false);
        break;
    case 2:
    case 3:
        ProXY_IP->setEnabled(true);
        ProXY_Port->setEnabled(true);
        AutoProxy->SetChecked(false);
        AutoProxy->setEnabled(ConType->ItemIndex() == 3);
        break;
    default: break;  // broadband keeps the fields as they were
    }
}

void TCfgForm::AutoIEProxy(QObject*)
{
    if (!AutoProxy->Checked()) return;
    const String value = ReadBrowserProxy();
    if (value.empty()) return;
    // Nothing is filled in from a value that does not convert whole.
    const std::optional<ProxyAddress> address = SplitProxy(value);
    if (!address) {
        MessageDlg(BadProxyMessage(value), TMsgDlgType::mtWarning, mbOK);
        return;
    }
    ProXY_IP->SetText(address->ip);
    ProXY_Port->SetValue(address->port);
}

void TCfgForm::TimeLengthChange(QObject*)
{
    // Text that is no number yet (an empty box while typing) is left to the
    // check on OK.
    const std::optional<int> hours = WholeNumber(TimeLength->Text());
    if (!hours) return;
    if (*hours < 1) TimeLength->SetText("1");
    else if (*hours > 12) TimeLength->SetText("12");
}

void TCfgForm::Btn_OKClick(QObject*)
{
    if (!Validate()) return;
    if (!MailDerss->Text().empty()) {
        ModalResult = mrOk;
        return;
    }
    const String question = Format(
        "Sem um endereço de e-mail válido não será posível enviar imagens ou efetuar o registro on-line %s Continuar?",
        {String("\r")});
    if (MessageDlg(question, TMsgDlgType::mtConfirmation, mbYesNo) == mrYes) ModalResult = mrOk;
}

namespace {

struct Problem {
    String message;
    QWidget* field = nullptr;
};

// The first field that does not convert, in the order the settings are taken.
std::optional<Problem> FirstProblem(const TCfgForm& form)
{
    const String hours = form.TimeLength->Text();
    if (!WholeNumber(hours)) return Problem{NotANumber("\"hora(s)\" de \"Atualizar a cada...\"", hours), form.TimeLength};
    const String port = form.ProXY_Port->Text();
    const std::optional<int> portNumber = WholeNumber(port);
    if (!portNumber) return Problem{NotANumber("\"Porta\" do proxy", port), form.ProXY_Port};
    // The proxy's fields count where the connection type uses them.
    if (form.ProXY_IP->isEnabled() && !IsHostAddress(form.ProXY_IP->Text()))
        return Problem{"Valor inválido no campo \"IP\" do proxy: \"" + form.ProXY_IP->Text() +
                           "\" não é um nome nem um endereço IP.",
                       form.ProXY_IP};
    if (form.ProXY_Port->isEnabled() && (*portNumber < 1 || *portNumber > 65535))
        return Problem{"Valor inválido no campo \"Porta\" do proxy: " + port + " não está entre 1 e 65535.",
                       form.ProXY_Port};
    // With automatic set-up the browser's value is what the connection will
    // use, so it has to convert too.
    if (form.AutoProxy->Checked()) {
        const String value = ReadBrowserProxy();
        if (!value.empty() && !SplitProxy(value)) return Problem{BadProxyMessage(value), form.AutoProxy};
    }
    return std::nullopt;
}

} // namespace

bool TCfgForm::Validate()
{
    const std::optional<Problem> problem = FirstProblem(*this);
    if (!problem) return true;
    MessageDlg(problem->message, TMsgDlgType::mtError, mbOK);
    if (problem->field->isEnabled()) problem->field->setFocus();
    return false;
}

TCfgValues TCfgForm::Values() const
{
    if (const std::optional<Problem> problem = FirstProblem(*this)) throw EConvertError(problem->message);
    TCfgValues values;
    values.MailUser = MailDerss->Text();
    values.Action = Atualization->ItemIndex();
    values.TimeLength = StrToInt(TimeLength->Text());
    values.Order = Order->ItemIndex();
    values.ConType = ConType->ItemIndex();
    values.ProxyIP = ProXY_IP->Text();
    values.ProxyPort = static_cast<std::int32_t>(ProXY_Port->Value());
    values.Activate = Activate->Checked();
    values.UseDefaultImage = UseDefaultImage->Checked();
    values.IEProxyAuto = AutoProxy->Checked();
    values.Silent = SilentDownload->Checked();
    values.Priority = TrackPriority->Position();
    return values;
}

} // namespace velvane
