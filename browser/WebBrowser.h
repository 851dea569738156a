#pragma once
// TWebBrowser: the browser control on Qt WebEngine, with the events the
// editor's browser page handles.
//
// The engine is started on the first navigation only: a window that never
// browses (as in most tests) never pays for it. Until then the control is an
// empty page and back, forward, stop and refresh do nothing.

#include "platform/rtl/Types.h"

#include <QWidget>

#include <functional>

class QWebEngineProfile;
class QWebEngineView;

namespace velvane {

// Call first thing in main, before the application object exists: the
// engine needs shared OpenGL contexts set before Qt starts, and as root
// Chromium's sandbox cannot run, so it is turned off
// (QTWEBENGINE_DISABLE_SANDBOX=1) unless the environment already says.
void PrepareWebEngine();

class TWebBrowser : public QWidget {
public:
    explicit TWebBrowser(QWidget* parent = nullptr);
    ~TWebBrowser() override;

    // A text without a scheme is taken as a web address ("http://" added);
    // an absolute path as a local file. An empty text does nothing.
    void Navigate(const String& url);
    void GoBack();
    void GoForward();
    void Stop();
    void Refresh();

    // The current page's address; empty before any navigation.
    String LocationURL() const;
    // True from the start of a load until it finishes.
    bool Busy() const { return busy_; }
    bool EngineStarted() const { return view_ != nullptr; }

    std::function<void(QObject* sender)> OnDownloadBegin;
    std::function<void(QObject* sender)> OnDownloadComplete;
    // The progress out of progressMax (always 100 here).
    std::function<void(QObject* sender, int progress, int progressMax)> OnProgressChange;
    std::function<void(QObject* sender, const String& url)> OnDocumentComplete;
    // The address of the link under the mouse; empty when the mouse leaves it.
    std::function<void(QObject* sender, const String& text)> OnStatusTextChange;

private:
    void StartEngine();

    QWebEngineProfile* profile_ = nullptr;
    QWebEngineView* view_ = nullptr;
    bool busy_ = false;
};

// The address Navigate opens for a text.
String BrowserAddress(const String& text);

} // namespace velvane
