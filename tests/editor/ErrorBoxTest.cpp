// What the editor's error box says when a disk or the settings store fails
// under it: the platform's messages and the system's reasons, in the
// programs' language.

#include "editor/Main.h"

#include "platform/forms/Application.h"
#include "platform/rtl/FileUtils.h"
#include "platform/win/RegistryStore.h"
#include "tests/support/Locales.h"
#include "tests/support/QtApp.h"
#include "tests/support/ScratchVolume.h"
#include "tests/support/ScriptedResponder.h"
#include "tests/support/StoredSettings.h"
#include "tests/support/TempEnv.h"
#include "tests/support/TestApp.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace velvane;

namespace {

// The box the error handler shows for a system error.
String Box(int code, const String& message)
{
    return "Erro Nº " + std::to_string(code) + " | " + message +
           " | \r Se este erro ocorrer periodicamente, por favor, informe-nos através do e-mail " VELVANE_SUPPORT_MAIL
           ".";
}

class ErrorBoxTest : public testing::Test {
protected:
    ErrorBoxTest()
    {
        test::EnsureApplication();
        TMainForm::WatchConnection = false;
    }
    ~ErrorBoxTest() override { delete form; }

    void Start() { form = Application->CreateForm<TMainForm>(); }
    // Runs a command as a click does, whose errors reach the error handler.
    void AsAClick(const std::function<void()>& command)
    {
        bool done = false;
        QMetaObject::invokeMethod(
            form->Widget(),
            [&] {
                done = true;
                command();
            },
            Qt::QueuedConnection);
        ASSERT_TRUE(test::ProcessEventsUntil([&] { return done; }));
    }
    String StoreFile() const { return RegistryStore::CurrentUserFile(); }

    test::TempEnv env;
    test::ScopedFormatSettings brazil{test::Brazil()};
    test::ScriptedResponder dialogs;
    TMainForm* form = nullptr;
};

} // namespace

// A document saved where the disk will not take it: the old file stays, and
// the box names the file and the reason.
TEST_F(ErrorBoxTest, ADocumentSavedOnAReadOnlyOrFullDiskIsToldInPortuguese)
{
    test::ScratchVolume readOnly, full;
    if (!readOnly.Problem().empty()) GTEST_SKIP() << readOnly.Problem();
    AtomicWriteFile(full.Path("lista.vnx"), "1|/fotos/antiga.jpg\r\n");
    ASSERT_TRUE(readOnly.MakeReadOnly());
    full.FillUp();
    Start();
    form->AddEntry("/fotos/praia.jpg", true);
    const struct {
        String path;
        int code;
        String message;
    } roads[] = {
        {readOnly.Path("lista.vnx"), 19,
         "Não foi possível criar o arquivo \"" + readOnly.Path("lista.vnx") + "\". Sistema de arquivos somente leitura"},
        {full.Path("lista.vnx"), 112,
         "Não foi possível gravar o arquivo \"" + full.Path("lista.vnx") + "\". Não há espaço disponível no dispositivo"},
    };
    for (const auto& road : roads) {
        form->Cfg.cfg_FileInUse = road.path;
        form->Modified = true;
        dialogs.requests.clear();
        AsAClick([&] { form->SalvarClick(nullptr); });
        ASSERT_EQ(dialogs.requests.size(), 1u) << road.path;
        EXPECT_EQ(dialogs.requests[0].text, Box(road.code, road.message));
        EXPECT_TRUE(form->Modified);
    }
    EXPECT_EQ(ReadFileBytes(full.Path("lista.vnx")), "1|/fotos/antiga.jpg\r\n");
}

// A store that is no database at start, and one a newer program left
// read-only at close.
TEST_F(ErrorBoxTest, ASettingsStoreThatIsDamagedOrReadOnlyIsToldInPortuguese)
{
    std::filesystem::create_directories(std::filesystem::path(StoreFile()).parent_path());
    AtomicWriteFile(StoreFile(), std::string(4096, 'x'));
    Start();
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].text,
              Box(1009, "Falha ao obter os dados de 'App_Top': O arquivo de configurações \"" + StoreFile() +
                            "\" está danificado (o arquivo não é um banco de dados); mova-o para outro lugar para "
                            "começar com configurações vazias"));
    delete std::exchange(form, nullptr);

    // A good store, then its file marked as written by a newer version,
    // which this one may read but not write.
    std::filesystem::remove(StoreFile());
    Start();
    form->UpdateWinRegistry(nullptr);
    test::CloseSettingsStore();
    {
        std::fstream file(StoreFile(), std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(18);
        file.put(3);
    }
    dialogs.requests.clear();
    form->Cfg.cfg_FileInUse = env.Path("lista.vnx");  // nothing to ask on close
    form->Close();
    ASSERT_EQ(dialogs.requests.size(), 1u);
    // Whichever value the save reaches first.
    const String box = Box(1013, "Falha ao gravar os dados de '%s': O arquivo de configurações \"" + StoreFile() +
                                     "\" não pôde ser lido nem gravado (tentativa de gravar em um banco de dados "
                                     "somente leitura)");
    EXPECT_THAT(dialogs.requests[0].text, testing::StartsWith(box.substr(0, box.find("%s"))));
    EXPECT_THAT(dialogs.requests[0].text, testing::EndsWith(box.substr(box.find("%s") + 2)));
    form = nullptr;  // closed for good
}
