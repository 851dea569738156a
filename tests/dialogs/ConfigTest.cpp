#include "dialogs/Config.h"
#include "dialogs/NumEdit.h"
#include "platform/rtl/Exceptions.h"
#include "platform/win/Registry.h"
#include "tests/dialogs/KeyTyping.h"
#include "tests/support/ScriptedResponder.h"
#include "tests/support/TempEnv.h"
#include "tests/support/TestApp.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QRadioButton>
#include <QTimer>

#include <memory>

using namespace velvane;
using namespace std::chrono_literals;
using velvane::test::Press;
using velvane::test::Type;

namespace {

// Runs modal forms for real (the dialog's own event loop) and answers
// message boxes from the script.
class RealFormResponder : public test::ScriptedResponder {
public:
    ModalAnswer Answer(const ModalRequest& request) override
    {
        if (request.kind == ModalRequest::Kind::Form) return {RunFormModally(request.form)};
        return ScriptedResponder::Answer(request);
    }
};

void SetBrowserProxy(const String& value)
{
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", true));
    registry.WriteString("ProxyServer", value);
}

// The user picks an item from the open list (the keyboard would step
// through the items between).
void Pick(TComboBox* combo, int index)
{
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

void Retype(TComboBox* combo, const QString& text)
{
    combo->lineEdit()->selectAll();
    Press(combo->lineEdit(), Qt::Key_Backspace, "\b");
    Type(combo->lineEdit(), text);
}

class ConfigTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::EnsureApplication();
        form = std::make_unique<TCfgForm>(nullptr);
    }

    // What the user sees in messages, in order.
    std::vector<String> Messages() const
    {
        std::vector<String> texts;
        for (const ModalRequest& request : answers.requests)
            if (request.kind == ModalRequest::Kind::Message) texts.push_back(request.text);
        return texts;
    }

    test::TempEnv env;
    RealFormResponder answers;
    std::unique_ptr<TCfgForm> form;
};

std::vector<String> ItemsOf(const TRadioGroup* group)
{
    std::vector<String> items;
    for (int i = 0; i < group->Count(); ++i) items.push_back(group->Button(i)->text().toStdString());
    return items;
}

std::vector<String> ItemsOf(const QComboBox* combo)
{
    std::vector<String> items;
    for (int i = 0; i < combo->count(); ++i) items.push_back(combo->itemText(i).toStdString());
    return items;
}

// A connection type that uses the proxy fields, and those fields, as a user picks and fills them.
std::function<void(TCfgForm&)> Proxy(int type, const char* ip, const char* port)
{
    return [=](TCfgForm& f) {
        f.ConType->SetItemIndex(type);
        f.ConTypeChange(f.ConType);
        f.ProXY_IP->SetText(ip);
        f.ProXY_Port->SetText(port);
    };
}

} // namespace

TEST_F(ConfigTest, ControlsCarryTheirOwnTextsAndStartValues)
{
    EXPECT_EQ(form->Caption(), "Configurações");
    EXPECT_EQ(form->Widget()->size(), QSize(427, 404));
    EXPECT_EQ(form->MailDerss->EditLabel->text(), "E-Mail ( Servidor SMTP )");
    EXPECT_EQ(form->Atualization->title(), "Atualizar a cada...");
    EXPECT_EQ(ItemsOf(form->Atualization),
              (std::vector<String>{"Inicialização", "1 vez por dia", "                   hora(s)", "Semana", "Conexão"}));
    EXPECT_EQ(form->Atualization->ItemIndex(), 0);
    EXPECT_EQ(ItemsOf(form->TimeLength),
              (std::vector<String>{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"}));
    EXPECT_EQ(form->TimeLength->Text(), "1");
    EXPECT_EQ(form->Order->title(), "Ordem");
    EXPECT_EQ(ItemsOf(form->Order), (std::vector<String>{"Sequencial", "Aleatória"}));
    EXPECT_EQ(form->Order->ItemIndex(), 0);
    EXPECT_EQ(form->ProXY->title(), "Conexão");
    EXPECT_EQ(ItemsOf(form->ConType), (std::vector<String>{"-----------", "DialUp ( 56.6 Kbps  )", "Rede ( 10 Mb )",
                                                           "Proxy ( 56.6 Kbps  )", "Hight Speed ( 256Kbps + )"}));
    EXPECT_EQ(form->ConType->ItemIndex(), 0);
    EXPECT_EQ(form->AutoProxy->text(), "Configuração automática");
    EXPECT_EQ(form->AutoProxy->toolTip(), "Detectar as configurações Proxy do navegador padrão");
    EXPECT_EQ(form->SilentDownload->toolTip(), "Exibir ou não a barra de progresso durante o donwload da imagem");
    EXPECT_EQ(form->ProXY_IP->Text(), "0.0.0.0");
    EXPECT_EQ(form->ProXY_Port->Text(), "0");
    EXPECT_FALSE(form->AutoProxy->isEnabled());
    EXPECT_FALSE(form->ProXY_IP->isEnabled());
    EXPECT_FALSE(form->ProXY_Port->isEnabled());
    EXPECT_EQ(form->ProXY_IPLabel->text(), "IP:");
    EXPECT_EQ(form->ProXY_PortLabel->text(), "Porta:");
    EXPECT_EQ(form->TrackPriority->minimum(), 0);
    EXPECT_EQ(form->TrackPriority->maximum(), 3);
    EXPECT_EQ(form->TrackPriority->Position(), 2);
    EXPECT_EQ(form->TrackPriority->tickPosition(), QSlider::TicksBothSides);
    EXPECT_EQ(form->TrackPriorityLabel->text(), "Prioridade de download");
    QStringList labels;
    for (const QLabel* label : form->Widget()->findChildren<QLabel*>()) labels << label->text();
    for (const char* fixed : {" Baixa", "Média", "Nornal", "Alta "}) EXPECT_TRUE(labels.contains(fixed)) << fixed;
    EXPECT_EQ(form->UseDefaultImage->text(), "Baixar imagem padrão quando não localizar imagem na web");
    EXPECT_EQ(form->Activate->text(), "Ativar Lumetra");
    EXPECT_EQ(form->Btn_OK->text(), "&OK");
    EXPECT_EQ(form->Btn_Cancel->text(), "&Cancelar");
    EXPECT_EQ(form->Btn_Cancel->ModalResult, mrCancel);
    EXPECT_EQ(form->Btn_OK->ModalResult, mrNone);  // OK decides in its handler
    for (const char* name : {"MailDerss", "Atualization", "TimeLength", "Order", "ProXY", "ConType", "AutoProxy",
                             "ProXY_IP", "ProXY_Port", "SilentDownload", "TrackPriority", "UseDefaultImage",
                             "Activate", "Btn_OK", "Btn_Cancel"})
        EXPECT_NE(form->Widget()->findChild<QWidget*>(name), nullptr) << name;
}

// Connection types: which of address, port and automatic set-up the user may change.
TEST_F(ConfigTest, EachPickedTypeSetsTheProxyFieldsAsItsRowSays)
{
    struct Row {
        int type;
        bool fields;
        bool automatic;
    };
    const Row rows[] = {{0, false, false}, {1, false, false}, {2, true, false}, {3, true, true}};
    for (int from : {0, 2}) {
        for (const Row& row : rows) {
            Pick(form->ConType, from);
            Pick(form->ConType, row.type);
            EXPECT_EQ(form->ProXY_IP->isEnabled(), row.fields) << from << "->" << row.type;
            EXPECT_EQ(form->ProXY_Port->isEnabled(), row.fields) << from << "->" << row.type;
            EXPECT_EQ(form->AutoProxy->isEnabled(), row.automatic) << from << "->" << row.type;
        }
    }
}

TEST_F(ConfigTest, LeavingProxyUnticksAutomaticExceptForBroadbandWhichKeepsTheFields)
{
    SetBrowserProxy("10.0.0.1:8080");
    Pick(form->ConType, 3);
    form->AutoProxy->click();
    ASSERT_TRUE(form->AutoProxy->Checked());
    Pick(form->ConType, 4);
    EXPECT_FALSE(form->AutoProxy->isEnabled());
    EXPECT_TRUE(form->AutoProxy->Checked());
    EXPECT_TRUE(form->ProXY_IP->isEnabled());
    EXPECT_TRUE(form->ProXY_Port->isEnabled());

    Pick(form->ConType, 3);
    form->AutoProxy->click();
    Pick(form->ConType, 0);
    EXPECT_FALSE(form->AutoProxy->Checked());
    EXPECT_FALSE(form->AutoProxy->isEnabled());
    EXPECT_FALSE(form->ProXY_IP->isEnabled());
    EXPECT_FALSE(form->ProXY_Port->isEnabled());
    Pick(form->ConType, 4);
    EXPECT_FALSE(form->ProXY_IP->isEnabled());
}

TEST_F(ConfigTest, TypeSetInCodeLeavesTheFieldsToTheCaller)
{
    form->ConType->SetItemIndex(3);
    EXPECT_FALSE(form->ProXY_IP->isEnabled());
    EXPECT_FALSE(form->AutoProxy->isEnabled());
}

TEST_F(ConfigTest, HoursBoxIsEnabledOnlyForTheHoursItem)
{
    form->Atualization->Button(2)->click();
    EXPECT_TRUE(form->TimeLength->isEnabled());
    form->Atualization->Button(3)->click();
    EXPECT_FALSE(form->TimeLength->isEnabled());
    // Copying a setting in counts as a choice too.
    form->Atualization->SetItemIndex(2);
    EXPECT_TRUE(form->TimeLength->isEnabled());
    form->Atualization->SetItemIndex(0);
    EXPECT_FALSE(form->TimeLength->isEnabled());
}

TEST_F(ConfigTest, TypedHoursStayWithinOneToTwelve)
{
    form->Atualization->Button(2)->click();
    const std::pair<const char*, const char*> cases[] = {
        {"15", "12"}, {"0", "1"}, {"7", "7"}, {"10", "10"}, {"-3", "1"}, {"x", "x"}, {"", ""},
    };
    for (const auto& [typed, shown] : cases) {
        Retype(form->TimeLength, typed);
        EXPECT_EQ(form->TimeLength->Text(), shown) << typed;
    }
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ConfigTest, TickingAutomaticTakesAddressAndPortFromTheBrowser)
{
    const struct {
        const char* stored;
        const char* ip;
        std::int64_t port;
    } cases[] = {
        {"10.0.0.1:8080", "10.0.0.1", 8080},
        {":3128", "0.0.0.0", 3128},
        {"8081", "0.0.0.0", 8081},
    };
    Pick(form->ConType, 3);
    for (const auto& c : cases) {
        SetBrowserProxy(c.stored);
        form->AutoProxy->click();
        EXPECT_EQ(form->ProXY_IP->Text(), c.ip) << c.stored;
        EXPECT_EQ(form->ProXY_Port->Value(), c.port) << c.stored;
        // Clearing the box leaves the fields alone.
        SetBrowserProxy("192.168.0.9:1");
        form->AutoProxy->click();
        EXPECT_EQ(form->ProXY_IP->Text(), c.ip);
    }
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ConfigTest, TickedInCodeTheBoxStillReadsTheBrowser)
{
    SetBrowserProxy("10.0.0.1:8080");
    form->AutoProxy->SetChecked(true);
    EXPECT_EQ(form->ProXY_IP->Text(), "10.0.0.1");
    EXPECT_EQ(form->ProXY_Port->Value(), 8080);
}

TEST_F(ConfigTest, PerProtocolBrowserValueIsReportedAndFillsNothing)
{
    SetBrowserProxy("http=a:1;ftp=b:2");
    Pick(form->ConType, 3);
    form->ProXY_IP->SetText("10.1.1.1");
    form->ProXY_Port->SetValue(3128);
    EXPECT_NO_THROW(form->AutoProxy->click());
    EXPECT_EQ(form->ProXY_IP->Text(), "10.1.1.1");
    EXPECT_EQ(form->ProXY_Port->Value(), 3128);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find("http=a:1;ftp=b:2"), String::npos) << Messages()[0];
    EXPECT_NE(Messages()[0].find("\"Configuração automática\""), String::npos) << Messages()[0];
}

// The OK button.
TEST_F(ConfigTest, OkWithAnAddressEndsWithOkAskingNothing)
{
    form->MailDerss->SetText("eu@example.org");
    form->Btn_OK->click();
    EXPECT_EQ(form->ModalResult, mrOk);
    EXPECT_TRUE(answers.requests.empty());
}

TEST_F(ConfigTest, OkWithoutAddressAsksAndOnlyYesEnds)
{
    answers.Queue(mrNo);
    form->Btn_OK->click();
    EXPECT_EQ(form->ModalResult, mrNone);
    ASSERT_EQ(answers.requests.size(), 1u);
    const ModalRequest& question = answers.requests[0];
    EXPECT_EQ(question.text, "Sem um endereço de e-mail válido não será posível enviar imagens ou efetuar o registro "
                             "on-line \r Continuar?");
    EXPECT_EQ(question.type, TMsgDlgType::mtConfirmation);
    EXPECT_EQ(question.buttons, mbYesNo);

    answers.Queue(mrYes);
    form->Btn_OK->click();
    EXPECT_EQ(form->ModalResult, mrOk);
}

TEST_F(ConfigTest, BadFieldsRefuseOkNamingTheFieldUntilMended)
{
    // The proxy fields are checked only where the type uses them: a disabled
    // port of 0 (no proxy) is no fault.
    {
        TCfgForm dialog(nullptr);
        dialog.MailDerss->SetText("eu@example.org");
        EXPECT_TRUE(dialog.Validate());
        EXPECT_EQ(dialog.ProXY_Port->Text(), "0");
    }
    const struct {
        const char* what;
        std::function<void(TCfgForm&)> spoil;
        const char* named;
        std::function<void(TCfgForm&)> mend;
    } cases[] = {
        {"hours not a number", [](TCfgForm& f) { f.TimeLength->SetText("dez"); }, "\"hora(s)\"",
         [](TCfgForm& f) { f.TimeLength->SetText("10"); }},
        {"hours empty", [](TCfgForm& f) { f.TimeLength->SetText(""); }, "\"hora(s)\"",
         [](TCfgForm& f) { f.TimeLength->SetText("3"); }},
        {"port pasted", [](TCfgForm& f) { f.ProXY_Port->SetText("80x"); }, "\"Porta\"",
         [](TCfgForm& f) { f.ProXY_Port->SetText("80"); }},
        {"port beyond 32 bits", [](TCfgForm& f) { f.ProXY_Port->SetText("4294967376"); }, "\"Porta\"",
         [](TCfgForm& f) { f.ProXY_Port->SetText("80"); }},
        {"proxy port out of range", Proxy(2, "10.0.0.1", "1299999"), "\"Porta\"",
         [](TCfgForm& f) { f.ProXY_Port->SetText("65535"); }},
        {"proxy address with blanks", Proxy(2, "not.an.ip 999.1", "8080"), "\"IP\"",
         [](TCfgForm& f) { f.ProXY_IP->SetText("not.an.ip"); }},
        {"proxy address numbers out of range", Proxy(3, "999.1.1.1", "8080"), "\"IP\"",
         [](TCfgForm& f) { f.ProXY_IP->SetText("::1"); }},
        {"browser proxy per protocol",
         [](TCfgForm& f) {
             SetBrowserProxy("10.0.0.1:8080");
             f.AutoProxy->SetChecked(true);
             SetBrowserProxy("http=a:1;ftp=b:2");
         },
         "\"Configuração automática\"", [](TCfgForm& f) { f.AutoProxy->SetChecked(false); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TCfgForm dialog(nullptr);
        c.spoil(dialog);
        answers.requests.clear();
        // No address either: the refusal comes before the question.
        dialog.Btn_OK->click();
        EXPECT_EQ(dialog.ModalResult, mrNone);
        ASSERT_EQ(answers.requests.size(), 1u);
        EXPECT_EQ(answers.requests[0].type, TMsgDlgType::mtError);
        EXPECT_EQ(answers.requests[0].buttons, mbOK);
        EXPECT_NE(answers.requests[0].text.find("Valor inválido no campo " + String(c.named)), String::npos)
            << answers.requests[0].text;
        EXPECT_THROW(dialog.Values(), EConvertError);

        c.mend(dialog);
        dialog.MailDerss->SetText("eu@example.org");
        EXPECT_TRUE(dialog.Validate());
        dialog.Btn_OK->click();
        EXPECT_EQ(dialog.ModalResult, mrOk);
        EXPECT_NO_THROW(dialog.Values());
    }
}

// The dialog run modally through its own event loop, as the editor runs it.
class ConfigModalTest : public ConfigTest {
protected:
    void CopyIn()
    {
        form->MailDerss->SetText("velho@example.org");
        form->Atualization->SetItemIndex(1);
        form->TimeLength->SetText("4");
        form->Order->SetItemIndex(1);
        form->ProXY_IP->SetText("10.9.9.9");
        form->ProXY_Port->SetValue(3128);
        form->ConType->SetItemIndex(2);
        form->Activate->SetChecked(true);
        form->UseDefaultImage->SetChecked(false);
        form->AutoProxy->SetChecked(false);
        form->SilentDownload->SetChecked(true);
        form->TrackPriority->SetPosition(1);
        form->ProXY_IP->setEnabled(true);
        form->ProXY_Port->setEnabled(true);
    }

    test::Watchdog watchdog{60s, "modal settings dialog"};
};

TEST_F(ConfigModalTest, EditedValuesComeOutAfterOk)
{
    CopyIn();
    QTimer::singleShot(0, [this] {
        ASSERT_TRUE(form->Widget()->isVisible());
        form->MailDerss->selectAll();
        Type(form->MailDerss, "novo@example.org");
        form->Atualization->Button(2)->click();
        Retype(form->TimeLength, "20");
        form->Order->Button(0)->click();
        Pick(form->ConType, 3);
        form->ProXY_IP->selectAll();
        Type(form->ProXY_IP, "10.0.0.2");
        form->ProXY_Port->selectAll();
        Type(form->ProXY_Port, "8q080");
        form->Activate->click();
        form->UseDefaultImage->click();
        form->SilentDownload->click();
        form->TrackPriority->setValue(3);
        form->Btn_OK->click();
    });
    EXPECT_EQ(form->ShowModal(), mrOk);
    EXPECT_FALSE(form->Widget()->isVisible());
    const TCfgValues v = form->Values();
    EXPECT_EQ(v.MailUser, "novo@example.org");
    EXPECT_EQ(v.Action, 2);
    EXPECT_EQ(v.TimeLength, 12);
    EXPECT_EQ(v.Order, 0);
    EXPECT_EQ(v.ConType, 3);
    EXPECT_EQ(v.ProxyIP, "10.0.0.2");
    EXPECT_EQ(v.ProxyPort, 8080);
    EXPECT_FALSE(v.Activate);
    EXPECT_TRUE(v.UseDefaultImage);
    EXPECT_FALSE(v.IEProxyAuto);
    EXPECT_FALSE(v.Silent);
    EXPECT_EQ(v.Priority, 3);
}

TEST_F(ConfigModalTest, CancelEndsWithCancel)
{
    CopyIn();
    QTimer::singleShot(0, [this] {
        Type(form->MailDerss, "x");
        form->Btn_Cancel->click();
    });
    EXPECT_EQ(form->ShowModal(), mrCancel);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ConfigModalTest, RefusedOkKeepsTheDialogOpenUntilTheFieldIsMended)
{
    CopyIn();
    bool openAfterRefusal = false;
    QTimer::singleShot(0, [this, &openAfterRefusal] {
        form->Atualization->Button(2)->click();
        Retype(form->TimeLength, "x");
        form->Btn_OK->click();
        EXPECT_EQ(form->ModalResult, mrNone);
        // Later, once the loop has had its chance to end.
        QTimer::singleShot(50, [this, &openAfterRefusal] {
            openAfterRefusal = form->Widget()->isVisible();
            Retype(form->TimeLength, "6");
            form->Btn_OK->click();
        });
    });
    EXPECT_EQ(form->ShowModal(), mrOk);
    EXPECT_TRUE(openAfterRefusal);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find("\"x\""), String::npos) << Messages()[0];
    EXPECT_EQ(form->Values().TimeLength, 6);
}
