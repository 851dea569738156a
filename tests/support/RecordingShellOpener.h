#pragma once
// Takes the desktop's URL handler's place for its lifetime and records what
// ShellExecuteA hands it, so no test opens a browser or a mail program.

#include "platform/win/ShellApi.h"

#include <QString>
#include <QUrl>

#include <vector>

namespace velvane::test {

class RecordingShellOpener {
public:
    explicit RecordingShellOpener(bool succeed = true)
    {
        SetShellOpener([this, succeed](const QUrl& url) {
            opened.push_back(url.toString());
            return succeed;
        });
    }
    ~RecordingShellOpener() { SetShellOpener(nullptr); }
    RecordingShellOpener(const RecordingShellOpener&) = delete;
    RecordingShellOpener& operator=(const RecordingShellOpener&) = delete;

    std::vector<QString> opened;
};

} // namespace velvane::test
