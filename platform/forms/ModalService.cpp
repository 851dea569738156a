#include "platform/forms/ModalService.h"

#include "platform/forms/FileFilter.h"
#include "platform/forms/Form.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#include <atomic>
#include <cstdio>
#include <utility>

namespace velvane {

namespace {

std::atomic<ModalResponder*> installed{nullptr};

// Button texts follow the Qt translation in force; the result is the button's
// modal result.
const std::pair<TMsgDlgBtn, std::pair<QMessageBox::StandardButton, int>> kButtons[] = {
    {mbYes, {QMessageBox::Yes, mrYes}},         {mbNo, {QMessageBox::No, mrNo}},
    {mbOK, {QMessageBox::Ok, mrOk}},            {mbCancel, {QMessageBox::Cancel, mrCancel}},
    {mbAbort, {QMessageBox::Abort, mrAbort}},   {mbRetry, {QMessageBox::Retry, mrRetry}},
    {mbIgnore, {QMessageBox::Ignore, mrIgnore}}, {mbAll, {QMessageBox::YesToAll, mrAll}},
    {mbNoToAll, {QMessageBox::NoToAll, mrNoToAll}}, {mbYesToAll, {QMessageBox::YesToAll, mrYesToAll}},
    {mbHelp, {QMessageBox::Help, mrNone}},
};

QMessageBox::Icon IconFor(TMsgDlgType type)
{
    switch (type) {
    case TMsgDlgType::mtWarning: return QMessageBox::Warning;
    case TMsgDlgType::mtError: return QMessageBox::Critical;
    case TMsgDlgType::mtInformation: return QMessageBox::Information;
    case TMsgDlgType::mtConfirmation: return QMessageBox::Question;
    default: return QMessageBox::NoIcon;
    }
}

bool IsFileDialog(const ModalRequest& request)
{
    return request.kind == ModalRequest::Kind::OpenFile || request.kind == ModalRequest::Kind::SaveFile;
}

ModalAnswer AnswerFileDialog(const ModalRequest& request)
{
    const bool saving = request.kind == ModalRequest::Kind::SaveFile;
    QFileDialog dialog;
    // Left empty, Qt titles the dialog "Open" or "Save As" itself.
    if (!request.caption.empty()) dialog.setWindowTitle(QString::fromStdString(request.caption));
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    const QString filters = QString::fromStdString(QtNameFilters(request.filter));
    if (!filters.isEmpty()) dialog.setNameFilters(filters.split(QStringLiteral(";;")));
    if (saving) dialog.setDefaultSuffix(QString::fromStdString(request.defaultExt));
    if (!request.initialDir.empty()) dialog.setDirectory(QString::fromStdString(request.initialDir));
    if (!request.fileName.empty()) dialog.selectFile(QString::fromStdString(request.fileName));
    if (dialog.exec() != QDialog::Accepted) return {mrCancel};
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return {mrCancel};
    return {mrOk, chosen.first().toStdString()};
}

class QtResponder : public ModalResponder {
public:
    ModalAnswer Answer(const ModalRequest& request) override
    {
        if (request.kind == ModalRequest::Kind::Form) return {RunFormModally(request.form), {}};
        // Without a window system (a command-line run) the text still reaches
        // the user, and the box answers as if closed.
        if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
            // Nobody could pick a file.
            if (IsFileDialog(request)) return {mrCancel};
            std::fprintf(stderr, "%s\n", request.text.c_str());
            return {DefaultResult(request.buttons), {}};
        }
        if (IsFileDialog(request)) return AnswerFileDialog(request);
        QMessageBox box(IconFor(request.type),
                        QString::fromStdString(request.caption.empty() ? QApplication::applicationName().toStdString()
                                                                       : request.caption),
                        QString::fromStdString(request.text));
        std::vector<std::pair<QAbstractButton*, int>> results;
        for (const auto& [flag, button] : kButtons) {
            if (!(request.buttons & flag)) continue;
            // Two flags may share a Qt button; add it once.
            if (box.button(button.first)) continue;
            results.emplace_back(box.addButton(button.first), button.second);
        }
        if (results.empty()) results.emplace_back(box.addButton(QMessageBox::Ok), mrOk);
        box.exec();
        for (const auto& [button, result] : results)
            if (box.clickedButton() == button) return {result, {}};
        return {DefaultResult(request.buttons), {}};
    }
};

} // namespace

int DefaultResult(TMsgDlgButtons buttons)
{
    if (buttons & mbCancel) return mrCancel;
    if (buttons & mbNo) return mrNo;
    if (buttons & mbOK) return mrOk;
    for (const auto& [flag, button] : kButtons)
        if (buttons & flag) return button.second;
    return mrOk;
}

void SetModalResponder(ModalResponder* responder) { installed = responder; }

ModalAnswer RunModal(const ModalRequest& request)
{
    if (ModalResponder* responder = installed.load()) return responder->Answer(request);
    static QtResponder qt;
    return qt.Answer(request);
}

} // namespace velvane
