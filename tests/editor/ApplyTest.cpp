// The apply job and the preview, against pictures on disk and on a local
// HTTP server, with the desktop's calls recorded instead of made.

#include "editor/FileSet.h"
#include "editor/ImageListDocument.h"
#include "editor/ImagePic.h"
#include "editor/Main.h"
#include "editor/NetConnection.h"
#include "editor/WallPaper.h"
#include "platform/forms/Application.h"
#include "platform/graphics/BmpCodec.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/net/HTTPClient.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FileUtils.h"
#include "platform/win/Registry.h"
#include "platform/win/WinUser.h"
#include "settings/PictureToWallpaper.h"
#include "tests/support/Locales.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/RecordingDesktopCalls.h"
#include "tests/support/ScriptedResponder.h"
#include "tests/support/StoredSettings.h"
#include "tests/support/TempEnv.h"
#include "tests/support/QtApp.h"
#include "tests/support/TestApp.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QUrl>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QTimer>

#include <filesystem>

using namespace velvane;
using testing::HasSubstr;

namespace {

struct FixedClock : TClock {
    TDateTime now = 46365.5;
    TDateTime Now() const override { return now; }
};

QImage Picture(int width, int height, QRgb color)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

class ApplyTest : public testing::Test {
protected:
    ApplyTest()
    {
        test::EnsureApplication();
        TMainForm::WatchConnection = false;  // these tests drive the window by hand
        setenv("XDG_CURRENT_DESKTOP", "sway", 1);
        SetDesktopCalls(&desktop);
        SetClock(&clock);
        form = Application->CreateForm<TMainForm>();
        // As the connection set-up points the client for a direct connection.
        form->HTTPc->Host = "127.0.0.1";
        form->HTTPc->Port = server.Port();
        Online = true;
    }
    ~ApplyTest() override
    {
        delete form;
        SetClock(nullptr);
        SetDesktopCalls(nullptr);
        unsetenv("XDG_CURRENT_DESKTOP");
        Online = false;
    }

    String Jpeg(const String& name, int width, int height, QRgb color)
    {
        String path = env.Path(name);
        AtomicWriteFile(path, EncodeJpeg(Picture(width, height, color)));
        return path;
    }

    void AddEntry(const String& text, bool select)
    {
        auto* item = new QListWidgetItem(QString::fromStdString(text));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        form->CheckList->addItem(item);
        if (select) {
            form->CheckList->setCurrentItem(item);
            item->setSelected(true);
        }
    }

    // The button shows its kind's picture and nothing else or, given one,
    // a caption beside it.
    static bool Shows(const TBitBtn* button, const char* caption)
    {
        return button->text() == QString::fromUtf8(caption) &&
               button->icon().pixmap(BitBtnGlyphSize).toImage().convertToFormat(QImage::Format_ARGB32) ==
                   BitBtnGlyph(button->Kind());
    }

    // The wallpaper file as it stands, decoded.
    QImage Wallpaper() const { return DecodeBmp(ReadFileBytes(WallPaperFile)); }
    // Files left in the program folder besides the wallpaper and the copy
    // the desktop was handed.
    std::vector<String> Leftovers() const
    {
        std::vector<String> names;
        for (auto& e : std::filesystem::directory_iterator(env.DataHome() + "/velvane")) {
            String name = e.path().filename().string();
            if (name != "wallpaper.bmp" && name.rfind(".wallpaper-", 0) != 0) names.push_back(name);
        }
        return names;
    }
    // Runs a command as the event loop does, whose errors go to the
    // window's error handler.
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
        test::ProcessEventsUntil([&] { return done; });
        QCoreApplication::processEvents();
    }

    test::TempEnv env;
    test::ScopedFormatSettings brazil{test::Brazil()};
    test::ScriptedResponder dialogs;
    test::RecordingDesktopCalls desktop;
    FixedClock clock;
    test::LoopbackHttpServer server;
    TMainForm* form = nullptr;
};

} // namespace

TEST(PictureKinds, AreToldByTheTextWithoutRegardToCase)
{
    EXPECT_EQ(PictureKindOf("/home/u/Foto.JPG"), TPictureKind::pkJpeg);
    EXPECT_EQ(PictureKindOf("a.jpeg?x=1"), TPictureKind::pkJpeg);
    EXPECT_EQ(PictureKindOf("photo.bmp.jpg"), TPictureKind::pkJpeg);  // one kind, once
    EXPECT_EQ(PictureKindOf("C.BMP"), TPictureKind::pkBmp);
    EXPECT_EQ(PictureKindOf("notes.txt"), TPictureKind::pkNone);
    EXPECT_TRUE(IsWebAddress("WWW.example.com/a.jpg"));
    EXPECT_TRUE(IsWebAddress("https://example.com/a.jpg"));
    EXPECT_FALSE(IsWebAddress("/home/u/www/a.jpg"));
    EXPECT_EQ(WebAddress("www.Example.com/A.JPG"), "http://www.Example.com/A.JPG");
    EXPECT_EQ(WebAddress("HTTPS://example.com/a.jpg"), "HTTPS://example.com/a.jpg");
}

TEST_F(ApplyTest, ASelectedLocalEntryBecomesTheWallpaperAndIsRecorded)
{
    String path = Jpeg("Praia Grande.JPG", 64, 48, qRgb(200, 30, 40));
    AddEntry(env.Path("outra.jpg"), false);
    AddEntry(path, true);
    form->Nav_Url->setEditText("http://127.0.0.1:1/ignored.jpg");  // the selected entry wins
    form->ApllyClick(form->Preview);

    QImage wallpaper = Wallpaper();
    ASSERT_EQ(wallpaper.size(), QSize(64, 48));
    QRgb pixel = wallpaper.pixel(10, 10);
    EXPECT_NEAR(qRed(pixel), 200, 4);
    EXPECT_NEAR(qGreen(pixel), 30, 4);
    ASSERT_EQ(desktop.log.size(), 1u);
    EXPECT_THAT(desktop.log[0], HasSubstr("run swaymsg|output|*|bg|"));
    EXPECT_EQ(form->Cfg.cfg_CurrentImgPos, 1);
    EXPECT_EQ(form->Cfg.cfg_CurrentIMG, path);  // as the list shows it
    EXPECT_EQ(form->Cfg.cfg_LastAplly, clock.now);
    EXPECT_TRUE(test::StoredSetting("cfg_CurrentIMG"));
    EXPECT_FALSE(form->WallPaper->Busy);
    EXPECT_TRUE(dialogs.requests.empty());
    EXPECT_EQ(form->StatusBar->Panel(1), form->Msg(22));
}

TEST_F(ApplyTest, AnAddressFromTheBoxIsFetchedAsWrittenAndRecordedInMemoryOnly)
{
    server.Serve("/Fotos/Mar.JPG", {200, "OK", {"Content-Type: image/jpeg"}, EncodeJpeg(Picture(32, 16, qRgb(0, 0, 255)))});
    form->Nav_Url->setEditText(QString::fromStdString(server.Url("/Fotos/Mar.JPG")));
    form->ApllyClick(form->Preview);

    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].target, "/Fotos/Mar.JPG");
    EXPECT_EQ(Wallpaper().size(), QSize(32, 16));
    EXPECT_EQ(form->Cfg.cfg_LastAplly, clock.now);
    EXPECT_EQ(form->Cfg.cfg_CurrentIMG, "");
    EXPECT_FALSE(test::StoredSetting("cfg_LastAplly"));
    EXPECT_TRUE(Leftovers().empty()) << Leftovers().front();
    EXPECT_FALSE(form->HTTPc->Connected());
}

TEST_F(ApplyTest, OfflineAsksFirstAndOkEndsTheJob)
{
    server.Serve("/a.jpg", {200, "OK", {}, EncodeJpeg(Picture(8, 8, qRgb(1, 2, 3)))});
    form->Nav_Url->setEditText(QString::fromStdString(server.Url("/a.jpg")));
    Online = false;
    dialogs.Queue(mrOk);
    form->ApllyClick(nullptr);
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].text, form->Msg(4));
    EXPECT_EQ(dialogs.requests[0].type, TMsgDlgType::mtInformation);
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_FALSE(FileExists(WallPaperFile));

    dialogs.Queue(mrCancel);  // closed with its close box: the job goes on
    form->ApllyClick(nullptr);
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(Wallpaper().size(), QSize(8, 8));
}

TEST_F(ApplyTest, PicturesThatCannotBeHadLeaveEverythingAsItWas)
{
    String good = Jpeg("good.jpg", 10, 10, qRgb(9, 9, 9));
    AddEntry(good, true);
    form->ApllyClick(nullptr);
    const String before = ReadFileBytes(WallPaperFile);
    const TConfig cfg = form->Cfg;
    desktop.log.clear();

    // A download that fails, breaks off or is stopped is silent.
    form->CheckList->clear();
    String body = EncodeJpeg(Picture(64, 64, qRgb(255, 0, 0)));
    server.Serve("/cut.jpg", {200, "OK", {}, body, test::HttpReply::Kind::CutHalfway});
    server.Serve("/slow.jpg", {200, "OK", {}, body, test::HttpReply::Kind::Trickle});
    for (const char* target : {"/missing.jpg", "/cut.jpg", "/slow.jpg"}) {
        form->Nav_Url->setEditText(QString::fromStdString(server.Url(target)));
        // The slow one is stopped by a disconnect while the job waits for its
        // bytes, as the progress box's Cancel does.
        if (target == std::string("/slow.jpg"))
            test::WhenReady(form->Widget(), [] { return DownloadStream->Size() > 0; },
                            [this] { form->HTTPc->Disconnect(); });
        form->ApllyClick(nullptr);
    }
    EXPECT_TRUE(dialogs.requests.empty());
    EXPECT_EQ(DownloadStream->Size(), 0);

    // A missing file, a truncated picture and a BMP on the web: message 9.
    String truncated = env.Path("cut.jpg");
    String bytes = EncodeJpeg(Picture(50, 50, qRgb(1, 1, 1)));
    AtomicWriteFile(truncated, bytes.substr(0, bytes.size() / 2));
    for (const String& entry : {env.Path("gone.jpg"), truncated, String("http://127.0.0.1:1/a.bmp")}) {
        form->CheckList->clear();
        AddEntry(entry, true);
        form->ApllyClick(nullptr);
    }
    ASSERT_EQ(dialogs.requests.size(), 3u);
    for (const ModalRequest& r : dialogs.requests) {
        EXPECT_EQ(r.text, form->Msg(9));
        EXPECT_EQ(r.type, TMsgDlgType::mtError);
    }
    EXPECT_EQ(ReadFileBytes(WallPaperFile), before);
    EXPECT_TRUE(desktop.log.empty());
    EXPECT_EQ(form->Cfg, cfg);
    EXPECT_FALSE(form->WallPaper->Busy);
    EXPECT_TRUE(Leftovers().empty()) << Leftovers().front();
}

TEST_F(ApplyTest, BusyJobsAndTextsWithoutAPictureAreRefused)
{
    form->Nav_Url->setEditText("http://www.example.com/pagina.html");
    form->ApllyClick(nullptr);
    EXPECT_TRUE(dialogs.requests.empty());
    EXPECT_EQ(form->StatusBar->Panel(1), "");

    AddEntry(Jpeg("a.jpg", 4, 4, qRgb(5, 5, 5)), true);
    form->NetConnection->Busy = true;
    form->ApllyClick(nullptr);
    EXPECT_EQ(form->StatusBar->Panel(1), "Ocupado!");
    EXPECT_FALSE(FileExists(WallPaperFile));
    form->NetConnection->Busy = false;
    form->Busy = true;
    form->Frame_FileSet1FileListDblClick(form->CheckList);
    EXPECT_TRUE(dialogs.requests.empty());
    EXPECT_TRUE(form->Busy);
}

TEST_F(ApplyTest, ThePreviewShowsThePictureAndChangesTheWallpaperOnlyWhenApplied)
{
    String path = Jpeg("Pequena.JPG", 120, 80, qRgb(0, 200, 0));
    ASSERT_TRUE(form->FileSet->isHidden());
    form->File_Frame->click();  // the pane's button shows it
    EXPECT_FALSE(form->FileSet->isHidden());
    ASSERT_TRUE(form->FileSet->SetDirectory(env.Root()));
    ASSERT_EQ(form->FileSet->FileList->count(), 1);  // the mask ignores letter case
    form->FileSet->FileList->setCurrentRow(0);
    form->FileSet->FileList->item(0)->setSelected(true);
    EXPECT_EQ(form->FileSet->FileName(), path);

    dialogs.OnRequest = [&](const ModalRequest& r) {
        ASSERT_EQ(r.kind, ModalRequest::Kind::Form);
        auto* dialog = static_cast<TFormPicture*>(r.form);
        EXPECT_EQ(dialog->Caption(), path + " [120 x 80]");
        EXPECT_EQ(dialog->ClientWidth(), 200);
        EXPECT_EQ(dialog->ClientHeight(), 80 + dialog->ToolBar->height());
        EXPECT_EQ(dialog->Btn_1->Kind(), TBitBtnKind::bkOK);
        EXPECT_EQ(dialog->Btn_1->toolTip().toStdString(), form->Msg(12));
        EXPECT_EQ(dialog->Btn_2->toolTip().toStdString(), form->Msg(68));
        EXPECT_EQ(dialog->Btn_2->ModalResult, mrIgnore);
        EXPECT_TRUE(dialog->Btn_3->isEnabled());
        EXPECT_TRUE(Shows(dialog->Btn_1, "") && Shows(dialog->Btn_2, "") && Shows(dialog->Btn_3, "&Aplicar imagem"));
        EXPECT_EQ(dialog->Picture().size(), QSize(120, 80));
    };
    dialogs.Queue(mrOk);  // add it to the list
    form->Frame_FileSet1FileListDblClick(form->FileSet->FileList);
    ASSERT_EQ(form->CheckList->count(), 1);
    EXPECT_TRUE(form->Modified);
    EXPECT_FALSE(FileExists(WallPaperFile));  // previewing alone changes nothing

    form->Modified = false;
    dialogs.Queue(mrOk);  // already there, without regard to case
    int key = VK_RETURN;
    form->FileSetFileListKeyUp(form->FileSet->FileList, key);
    EXPECT_EQ(form->CheckList->count(), 1);
    EXPECT_TRUE(form->Modified);

    dialogs.Queue(mrAll);  // applied from the file pane: nothing recorded
    form->Frame_FileSet1FileListDblClick(form->FileSet->FileList);
    EXPECT_EQ(Wallpaper().size(), QSize(120, 80));
    EXPECT_EQ(desktop.log.size(), 1u);
    EXPECT_EQ(form->Cfg.cfg_LastAplly, 0.0);
    EXPECT_FALSE(form->Busy);
    form->Pastasarquvos1->trigger();
    EXPECT_TRUE(form->FileSet->isHidden());
}

// A name holding a line break would be saved across two lines: refused from
// the preview and the address box alike, and the document never changes.
TEST_F(ApplyTest, ANameHoldingALineBreakIsRefusedWhenAdded)
{
    Jpeg("nova\nlinha.jpg", 8, 8, qRgb(1, 2, 3));
    ASSERT_TRUE(form->FileSet->SetDirectory(env.Root()));
    form->FileSet->FileList->setCurrentRow(0);
    form->FileSet->FileList->item(0)->setSelected(true);
    dialogs.Queue(mrOk);  // the preview's add button
    form->Frame_FileSet1FileListDblClick(form->FileSet->FileList);
    form->Nav_Url->setEditText("http://www.example.com/a\r\nb.jpg");
    form->Nav_BackClick(form->Nav_AddToList);
    ASSERT_EQ(dialogs.requests.size(), 3u);
    for (int box : {1, 2}) EXPECT_EQ(dialogs.requests[box].text, kEntryWithLineBreak);
    EXPECT_EQ(form->CheckList->count(), 0);
    EXPECT_FALSE(form->Modified);
    EXPECT_FALSE(form->Busy);
}

TEST_F(ApplyTest, PreviewFromTheListRemovesOrAppliesTheEntry)
{
    String path = Jpeg("lista.jpg", 300, 20, qRgb(50, 60, 70));
    AddEntry(env.Path("outra.jpg"), false);
    AddEntry(path, true);
    dialogs.OnRequest = [&](const ModalRequest& r) {
        auto* dialog = static_cast<TFormPicture*>(r.form);
        EXPECT_EQ(dialog->Btn_1->Kind(), TBitBtnKind::bkCancel);
        EXPECT_EQ(dialog->Btn_1->ModalResult, mrOk);
        EXPECT_EQ(dialog->Btn_1->toolTip().toStdString(), form->Msg(69));
        EXPECT_TRUE(Shows(dialog->Btn_1, "") && Shows(dialog->Btn_2, "") && Shows(dialog->Btn_3, "&Aplicar imagem"));
    };
    dialogs.Queue(mrAll);
    form->ImagePreviewClick(form->ImagePreview);
    EXPECT_EQ(Wallpaper().size(), QSize(300, 20));
    EXPECT_EQ(form->Cfg.cfg_CurrentImgPos, 1);
    EXPECT_EQ(form->Cfg.cfg_CurrentIMG, path);
    EXPECT_TRUE(test::StoredSetting("cfg_CurrentImgPos"));

    dialogs.Queue(mrOk);  // remove it
    form->ImagePreviewClick(nullptr);
    ASSERT_EQ(form->CheckList->count(), 1);
    EXPECT_EQ(form->CheckList->item(0)->text().toStdString(), env.Path("outra.jpg"));
    EXPECT_TRUE(form->Modified);
}

TEST_F(ApplyTest, AnUnreadablePictureIsShownAsUnavailable)
{
    String bad = env.Path("ruim.jpg");
    AtomicWriteFile(bad, "not a picture at all");
    AddEntry(bad, true);
    dialogs.OnRequest = [&](const ModalRequest& r) {
        auto* dialog = static_cast<TFormPicture*>(r.form);
        EXPECT_EQ(dialog->ClientHeight(), 100);
        EXPECT_EQ(dialog->ClientWidth(), 200);
        EXPECT_FALSE(dialog->Btn_3->isEnabled());
        EXPECT_TRUE(dialog->Image->isHidden());
        EXPECT_FALSE(dialog->MsgLabel->isHidden());
    };
    dialogs.Queue(mrIgnore);
    form->ImagePreviewClick(nullptr);
    EXPECT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(form->PreviewError, form->Msg(10));

    // A download that fails shows no dialog at all.
    form->CheckList->clear();
    AddEntry(server.Url("/nada.jpg"), true);
    dialogs.OnRequest = nullptr;
    form->ImagePreviewClick(nullptr);
    EXPECT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(form->PreviewError, form->Msg(8));
    EXPECT_EQ(form->StatusBar->Panel(1), form->Msg(8));
    EXPECT_FALSE(form->Busy);
    EXPECT_FALSE(FileExists(WallPaperFile));
}

TEST(FileSet, OffersTheRootAndVolumesAndListsPicturesOnly)
{
    test::EnsureApplication();
    test::TempEnv env;
    std::filesystem::create_directory(env.Path("sub"));
    for (const char* name : {"b.JPG", "a.jpeg", "c.bmp", "notes.txt", "d.png"})
        AtomicWriteFile(env.Path(name), "x");
    TFrame_FileSet pane(nullptr);
    ASSERT_GE(pane.DriveList->count(), 1);
    EXPECT_EQ(pane.DriveList->itemText(0).toStdString(), "/");
    ASSERT_TRUE(pane.SetDirectory(env.Root()));
    std::vector<String> files;
    for (int i = 0; i < pane.FileList->count(); ++i) files.push_back(pane.FileList->item(i)->text().toStdString());
    EXPECT_EQ(files, (std::vector<String>{"a.jpeg", "b.JPG", "c.bmp"}));
    EXPECT_EQ(pane.FileName(), "");  // nothing selected

    // The folder list: the path from the root down, the folder itself chosen,
    // each step one indent further right, then its sub-folders.
    const std::filesystem::path here = std::filesystem::canonical(env.Root());
    std::vector<String> shown{"/"};
    for (const auto& part : here.relative_path()) shown.push_back(part.string());
    const int at = static_cast<int>(shown.size()) - 1;
    shown.push_back("sub");
    ASSERT_EQ(pane.DirList->count(), at + 2);
    for (int i = 0; i < pane.DirList->count(); ++i) EXPECT_EQ(pane.DirList->item(i)->text().toStdString(), shown[i]);
    EXPECT_TRUE(pane.DirList->currentRow() == at && pane.DirList->item(at)->isSelected());
    pane.show();
    QCoreApplication::processEvents();
    const QImage drawn = pane.DirList->viewport()->grab().toImage();
    const auto indent = [&](int row) {
        const int y = pane.DirList->visualItemRect(pane.DirList->item(row)).center().y();
        int x = 0;
        while (x < drawn.width() && drawn.pixel(x, y) == drawn.pixel(drawn.width() - 1, y)) ++x;
        return x;
    };
    EXPECT_EQ(indent(1) - indent(0), 12);
    EXPECT_EQ(indent(at + 1) - indent(0), 12 * (at + 1));

    EXPECT_FALSE(pane.SetDirectory(env.Path("missing")));
    EXPECT_EQ(pane.Directory(), here.string());
    // Any folder of the path, or below it, is one activation away.
    emit pane.DirList->itemActivated(pane.DirList->item(at + 1));
    EXPECT_EQ(pane.Directory(), (here / "sub").string());
    EXPECT_EQ(pane.DirList->currentRow(), at + 1);
    emit pane.DirList->itemActivated(pane.DirList->item(at - 1));
    EXPECT_EQ(pane.Directory(), here.parent_path().string());
}

TEST_F(ApplyTest, APictureViewedFromDiskIsAppliedPreviewedAndAddedAsItsFile)
{
    String path = Jpeg("São Paulo #1.jpg", 40, 30, qRgb(250, 250, 0));
    // As the browser page rewrites a path typed into the address box.
    const QString address = QUrl::fromLocalFile(QString::fromStdString(path)).toString(QUrl::FullyEncoded);
    ASSERT_TRUE(address.startsWith("file:///"));
    form->Nav_Url->setEditText(address);
    form->ApllyClick(form->Preview);
    EXPECT_TRUE(dialogs.requests.empty()) << dialogs.requests.front().text;
    EXPECT_EQ(Wallpaper().size(), QSize(40, 30));
    EXPECT_EQ(desktop.log.size(), 1u);

    form->Nav_BackClick(form->Nav_AddToList);
    ASSERT_EQ(form->CheckList->count(), 1);
    EXPECT_EQ(EntryText(form->CheckList->item(0)), path);

    // An entry stored as such an address still previews as the picture.
    form->CheckList->clear();
    AddEntry(address.toStdString(), true);
    dialogs.OnRequest = [&](const ModalRequest& r) {
        EXPECT_EQ(static_cast<TFormPicture*>(r.form)->Picture().size(), QSize(40, 30));
    };
    form->ImagePreviewClick(form->ImagePreview);
    EXPECT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(form->PreviewError, "");
    EXPECT_EQ(LocalPathOf("file://localhost/tmp/a%20b.jpg#x"), "/tmp/a b.jpg");
    EXPECT_EQ(LocalPathOf("file://elsewhere/etc/x.jpg"), "file://elsewhere/etc/x.jpg");
    EXPECT_EQ(LocalPathOf("FILE:///tmp/S%E3o.jpg"), "/tmp/S\xE3o.jpg");
}

TEST_F(ApplyTest, APictureThatCannotBeKeptOnDiskIsAFileError)
{
    server.Serve("/big.jpg", {200, "OK", {}, EncodeJpeg(Picture(300, 300, qRgb(9, 9, 9))) + String(8192, '\0')});
    AddEntry(server.Url("/big.jpg"), true);
    // The disk fills up while the picture is kept; the preview tells it the
    // same way, not as a failed download.
    for (auto command : {&TMainForm::ApllyClick, &TMainForm::ImagePreviewClick}) {
        dialogs.requests.clear();
        {
            test::FileSizeLimit limit(4096);
            AsAClick([&] { (form->*command)(nullptr); });
        }
        ASSERT_EQ(dialogs.requests.size(), 1u);
        EXPECT_EQ(dialogs.requests[0].type, TMsgDlgType::mtError);
        EXPECT_THAT(dialogs.requests[0].text, HasSubstr("temp-"));
        EXPECT_THAT(form->StatusBar->Panel(1), HasSubstr("temp-")) << "no success shown for it";
    }
    EXPECT_NE(form->PreviewError, form->Msg(8));
    EXPECT_TRUE(desktop.log.empty());
    EXPECT_TRUE(Leftovers().empty()) << Leftovers().front();
    EXPECT_FALSE(form->WallPaper->Busy);
    EXPECT_FALSE(form->Busy);
}

TEST_F(ApplyTest, ThePreviewOfALargePictureFitsTheScreenAndEscapeCloses)
{
    String path = Jpeg("grande.jpg", 4000, 3000, qRgb(10, 10, 200));
    AddEntry(path, true);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    dialogs.OnRequest = [&](const ModalRequest& r) {
        auto* dialog = static_cast<TFormPicture*>(r.form);
        EXPECT_EQ(dialog->Caption(), path + " [4000 x 3000]") << "the picture's own size";
        EXPECT_LE(dialog->ClientWidth(), screen.width());
        EXPECT_LE(dialog->ClientHeight(), screen.height());
        const QPixmap shown = dialog->Image->pixmap();
        EXPECT_EQ(dialog->ClientHeight(), shown.height() + dialog->ToolBar->height());
        EXPECT_NEAR(shown.width() * 3.0 / shown.height(), 4.0, 0.02) << "the shape is kept";
        EXPECT_TRUE(dialog->Btn_3->isVisibleTo(dialog->Widget()));
    };
    form->ImagePreviewClick(form->ImagePreview);
    ASSERT_EQ(dialogs.requests.size(), 1u);

    // Escape ends the dialog as Cancel.
    TFormPicture dialog(nullptr);
    dialog.FitPicture(Picture(1920, 1080, qRgb(1, 2, 3)));
    dialog.Show();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(dialog.Btn_1, &escape);  // the focus is on a button
    EXPECT_EQ(dialog.ModalResult, mrCancel);
}
