#include "platform/forms/FileDialogs.h"

#include "platform/forms/FileFilter.h"
#include "tests/support/ScriptedResponder.h"
#include "tests/support/TestApp.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <functional>

using namespace velvane;
using velvane::test::EnsureApplication;
using velvane::test::ScriptedResponder;
using velvane::test::Watchdog;
using namespace std::chrono_literals;

TEST(FileDialogExecute, RequestCarriesTheDialogsSettingsExactly)
{
    ScriptedResponder responder;
    TOpenDialog open(nullptr);
    open.Title = "Open a document";
    open.Filter = "Velvane (*.vnx)|*.vnx|All|*";
    open.DefaultExt = "vnx";
    open.InitialDir = "/home/user/docs";
    open.FileName = "draft.vnx";
    responder.Queue(ModalAnswer{mrOk, "/home/user/docs/final.vnx"});
    EXPECT_TRUE(open.Execute());
    EXPECT_EQ(open.FileName, "/home/user/docs/final.vnx");

    TSaveDialog save(nullptr);
    save.Filter = "Pictures|*.bmp;*.jpg";
    save.DefaultExt = "bmp";
    responder.Queue(ModalAnswer{mrOk, "/tmp/out.bmp"});
    EXPECT_TRUE(save.Execute());

    ASSERT_EQ(responder.requests.size(), 2u);
    const ModalRequest& o = responder.requests[0];
    EXPECT_EQ(o.kind, ModalRequest::Kind::OpenFile);
    EXPECT_EQ(o.caption, "Open a document");
    EXPECT_EQ(o.filter, "Velvane (*.vnx)|*.vnx|All|*");
    EXPECT_EQ(o.defaultExt, "vnx");
    EXPECT_EQ(o.initialDir, "/home/user/docs");
    EXPECT_EQ(o.fileName, "draft.vnx");
    const ModalRequest& s = responder.requests[1];
    EXPECT_EQ(s.kind, ModalRequest::Kind::SaveFile);
    EXPECT_EQ(s.caption, "");
    EXPECT_EQ(s.filter, "Pictures|*.bmp;*.jpg");
    EXPECT_EQ(s.defaultExt, "bmp");
    EXPECT_EQ(s.fileName, "");
}

TEST(FileDialogExecute, FileNameChangesOnlyWhenAFileWasChosen)
{
    ScriptedResponder responder;
    TSaveDialog dialog(nullptr);
    dialog.FileName = "keep.vnx";

    responder.Queue(ModalAnswer{mrCancel, "/ignored.vnx"});
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.FileName, "keep.vnx");

    // OK without a name counts as no choice.
    responder.Queue(ModalAnswer{mrOk, ""});
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.FileName, "keep.vnx");

    // An empty script answers as a closed dialog.
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.FileName, "keep.vnx");
    EXPECT_EQ(responder.requests.size(), 3u);
}

TEST(FileDialogFilter, ConvertsToQtNameFilters)
{
    EXPECT_EQ(QtNameFilters("Velvane (*.vnx)|*.vnx|All|*"), "Velvane (*.vnx);;All (*)");
    EXPECT_EQ(QtNameFilters("Pictures|*.bmp;*.jpg"), "Pictures (*.bmp *.jpg)");
    // A description naming its patterns keeps them, in Qt's spelling.
    EXPECT_EQ(QtNameFilters("Pictures (*.bmp;*.jpg)|*.bmp;*.jpg"), "Pictures (*.bmp *.jpg)");
    EXPECT_EQ(QtNameFilters("Text files (*.txt)|*.txt"), "Text files (*.txt)");
    // Other parentheses stay text; Qt reads the last group.
    EXPECT_EQ(QtNameFilters("Backups (old)|*.bak"), "Backups (old) (*.bak)");
    EXPECT_EQ(QtNameFilters("Web|*.htm; *.html ;"), "Web (*.htm *.html)");
}

TEST(FileDialogFilter, OddInputs)
{
    EXPECT_EQ(QtNameFilters(""), "");
    // A description without patterns is left out.
    EXPECT_EQ(QtNameFilters("Velvane"), "");
    EXPECT_EQ(QtNameFilters("Velvane|*.vnx|All"), "Velvane (*.vnx)");
    EXPECT_EQ(QtNameFilters("Empty||All|*"), "All (*)");
    EXPECT_EQ(QtNameFilters("|*.txt"), "*.txt (*.txt)");
    EXPECT_EQ(QtNameFilters("|"), "");
}

namespace {

// Runs act on the first file dialog that opens, polling the modal widget.
void OnFileDialog(std::function<void(QFileDialog&)> act)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        poll->stop();
        poll->deleteLater();
        act(*dialog);
    });
    poll->start(10);
}

} // namespace

TEST(FileDialogQt, ShowsTheRequestedSaveDialogAndAddsTheExtension)
{
    Watchdog dog(30s, "Qt save dialog");
    EnsureApplication();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());

    QStringList filters;
    QString suffix, title;
    bool saving = false;
    QString shownDir;
    OnFileDialog([&](QFileDialog& d) {
        filters = d.nameFilters();
        suffix = d.defaultSuffix();
        title = d.windowTitle();
        saving = d.acceptMode() == QFileDialog::AcceptSave;
        shownDir = d.directory().absolutePath();
        d.selectFile("report");
        static_cast<QDialog&>(d).accept();   // public there, protected here
    });
    ModalRequest request;
    request.kind = ModalRequest::Kind::SaveFile;
    request.caption = "Save the document";
    request.filter = "Velvane (*.vnx)|*.vnx|All|*";
    request.defaultExt = "vnx";
    request.initialDir = dir.path().toStdString();
    const ModalAnswer answer = RunModal(request);

    EXPECT_EQ(filters, (QStringList{"Velvane (*.vnx)", "All (*)"}));
    EXPECT_EQ(suffix, "vnx");
    EXPECT_EQ(title, "Save the document");
    EXPECT_TRUE(saving);
    EXPECT_EQ(shownDir, QDir(dir.path()).absolutePath());
    EXPECT_EQ(answer.result, mrOk);
    EXPECT_EQ(answer.fileName, QDir(dir.path()).absoluteFilePath("report.vnx").toStdString());
}

TEST(FileDialogQt, OpenDialogCancelledAnswersCancel)
{
    Watchdog dog(30s, "Qt open dialog");
    EnsureApplication();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString existing = QDir(dir.path()).absoluteFilePath("a.vnx");
    QFile file(existing);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    QStringList selected;
    bool opening = false;
    OnFileDialog([&](QFileDialog& d) {
        selected = d.selectedFiles();
        opening = d.acceptMode() == QFileDialog::AcceptOpen && d.fileMode() == QFileDialog::ExistingFile;
        d.reject();
    });
    ModalRequest request;
    request.kind = ModalRequest::Kind::OpenFile;
    request.filter = "Velvane|*.vnx";
    request.fileName = existing.toStdString();
    const ModalAnswer answer = RunModal(request);

    EXPECT_TRUE(opening);
    EXPECT_EQ(selected, QStringList{existing});
    EXPECT_EQ(answer.result, mrCancel);
    EXPECT_EQ(answer.fileName, "");
}

TEST(FileDialogQt, WithoutAWindowSystemAnswersCancel)
{
    if (QCoreApplication::instance()) GTEST_SKIP() << "an application exists in this process already";
    ModalRequest request;
    request.kind = ModalRequest::Kind::OpenFile;
    request.fileName = "/tmp/x.vnx";
    EXPECT_EQ(RunModal(request).result, mrCancel);
    request.kind = ModalRequest::Kind::SaveFile;
    EXPECT_EQ(RunModal(request).result, mrCancel);
}
