#include "platform/forms/FileDialogs.h"

#include "platform/forms/ModalService.h"

namespace velvane {

bool TOpenDialog::Execute()
{
    ModalRequest request;
    request.kind = Saving() ? ModalRequest::Kind::SaveFile : ModalRequest::Kind::OpenFile;
    request.caption = Title;
    request.filter = Filter;
    request.defaultExt = DefaultExt;
    request.initialDir = InitialDir;
    request.fileName = FileName;
    const ModalAnswer answer = RunModal(request);
    if (answer.result != mrOk || answer.fileName.empty()) return false;
    FileName = answer.fileName;
    return true;
}

} // namespace velvane
