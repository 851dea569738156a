#include "platform/win/ShellApi.h"

#include "platform/win/WinError.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

#include <cstdint>

namespace velvane {

namespace {

// Any value above 32 means success; this one is as good as another.
constexpr int kOpened = 42;

ShellOpener& CustomOpener()
{
    static ShellOpener opener;
    return opener;
}

bool Open(const QUrl& url)
{
    if (const ShellOpener& opener = CustomOpener()) return opener(url);
    return QDesktopServices::openUrl(url);
}

HINSTANCE Answer(int code, DWORD error)
{
    SetLastError(error);
    return reinterpret_cast<HINSTANCE>(static_cast<std::intptr_t>(code));
}

bool Begins(const QString& text, const char* prefix) { return text.startsWith(QLatin1String(prefix), Qt::CaseInsensitive); }

// "name:" at the start, as every address begins.
bool HasScheme(const QString& text)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    return scheme.match(text).hasMatch();
}

bool HasControlCharacters(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) return true;
    return false;
}

struct Target {
    QUrl url;
    int failure = 0;
    DWORD error = ERROR_SUCCESS;
};

Target Refused(int failure, DWORD error) { return {QUrl(), failure, error}; }

Target WebAddress(QString text)
{
    if (Begins(text, "www.")) text.prepend(QStringLiteral("http://"));
    const QUrl url(text, QUrl::TolerantMode);
    if (HasControlCharacters(text) || !url.isValid() || url.host().isEmpty())
        return Refused(SE_ERR_NOASSOC, ERROR_INVALID_PARAMETER);
    return {url};
}

Target MailAddress(const QString& text)
{
    QUrl url(text, QUrl::TolerantMode);
    if (HasControlCharacters(text) || !url.isValid()) return Refused(SE_ERR_NOASSOC, ERROR_INVALID_PARAMETER);
    // Only the fields of a message pass: some mail programs act on others
    // ("attach=" a local file) that an address from the web must not set.
    QUrlQuery query(url);
    QUrlQuery kept;
    for (const auto& [name, value] : query.queryItems(QUrl::FullyEncoded)) {
        const QString field = name.toLower();
        if (field == "to" || field == "cc" || field == "bcc" || field == "subject" || field == "body")
            kept.addQueryItem(name, value);
    }
    url.setQuery(kept);
    return {url};
}

Target LocalFile(QString path, const QString& directory)
{
    if (Begins(path, "file:")) {
        const QUrl url(path);
        // A file on another machine is not one of ours.
        const bool here = url.host().isEmpty() || url.host() == QLatin1String("localhost");
        if (!url.isValid() || !url.isLocalFile() || !here) return Refused(SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION);
        path = url.toLocalFile();
    }
    if (QDir::isRelativePath(path) && !directory.isEmpty()) path = QDir(directory).filePath(path);
    const QFileInfo info(path);
    if (!info.exists()) return Refused(SE_ERR_FNF, ERROR_FILE_NOT_FOUND);
    if (!info.isReadable()) return Refused(SE_ERR_ACCESSDENIED, ERROR_ACCESS_DENIED);
    // Opening a program would run it: documents and folders only. A desktop
    // entry is a program too, whatever its permissions.
    if (info.isFile() && (info.isExecutable() || info.suffix().compare("desktop", Qt::CaseInsensitive) == 0))
        return Refused(SE_ERR_ACCESSDENIED, ERROR_ACCESS_DENIED);
    return {QUrl::fromLocalFile(info.absoluteFilePath())};
}

Target TargetOf(const QString& text, const QString& directory)
{
    if (text.isEmpty()) return Refused(SE_ERR_FNF, ERROR_FILE_NOT_FOUND);
    if (Begins(text, "http://") || Begins(text, "https://") || Begins(text, "www.")) return WebAddress(text);
    if (Begins(text, "mailto:")) return MailAddress(text);
    if (Begins(text, "file:") || !HasScheme(text)) return LocalFile(text, directory);
    return Refused(SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION);
}

} // namespace

HINSTANCE ShellExecuteA(HWND, LPCSTR verb, LPCSTR file, LPCSTR, LPCSTR directory, int)
{
    if (verb && *verb && QString::fromUtf8(verb).compare(QLatin1String("open"), Qt::CaseInsensitive) != 0)
        return Answer(SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION);
    // Addresses copied from labels and settings lines often carry blanks
    // or a line end around them.
    const QString text = QString::fromUtf8(file ? file : "").trimmed();
    const Target target = TargetOf(text, QString::fromUtf8(directory ? directory : ""));
    if (target.failure != 0) return Answer(target.failure, target.error);
    if (!Open(target.url)) return Answer(SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION);
    return Answer(kOpened, ERROR_SUCCESS);
}

void SetShellOpener(ShellOpener opener) { CustomOpener() = std::move(opener); }

} // namespace velvane
