#include "browser/WebBrowser.h"

#include "platform/rtl/AsciiText.h"

#include <QPointer>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QOpenGLContext>
#include <QOpenGLWidget>
#include <QQuickWindow>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <unistd.h>

#include <array>
#include <string_view>

namespace velvane {

namespace {

// Read by the engine when it starts, so setting it late (before the first
// page) is still in time.
void TurnOffSandboxForRoot()
{
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

QString ToQt(const String& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
String FromQt(const QString& s) { return s.toUtf8().toStdString(); }

// Whether this display lets us draw through OpenGL at all (no GLX over a
// remote X connection, a virtual machine, a VNC server).
bool OpenGLAvailable()
{
    if (const QOpenGLContext* shared = QOpenGLContext::globalShareContext()) return shared->isValid();
    QOpenGLContext probe;
    return probe.create();
}

} // namespace

void PrepareWebEngine()
{
    TurnOffSandboxForRoot();
    if (!QCoreApplication::instance()) QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

String BrowserAddress(const String& text)
{
    String url(TrimBlanks(text));
    if (url.empty()) return {};
    if (url.front() == '/') return FromQt(QUrl::fromLocalFile(ToQt(url)).toString());
    if (url.find("://") != String::npos) return url;
    // Schemes written without "//".
    static constexpr std::array<std::string_view, 5> bare{"about:", "mailto:", "data:", "javascript:", "file:"};
    for (auto scheme : bare)
        if (StartsWithAscii(url, scheme)) return url;
    return "http://" + url;
}

TWebBrowser::TWebBrowser(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // The engine draws its pages through OpenGL. A window that gains such a
    // child once it is on screen has its native window torn down and made
    // anew, and when that window is the active one (there is a window
    // manager) Qt repaints it half-switched and crashes. A hidden OpenGL
    // child from the start has the window made for OpenGL from the outset,
    // so the first page may open at any moment. Without a screen there is no
    // such window to make. Where OpenGL cannot be had (X over SSH, VNC, a
    // virtual machine) Qt cannot draw the window through it and crashes: the
    // window stays a plain one and the engine's pages are drawn in software.
    const QString platform = QGuiApplication::platformName();
    if (platform == "offscreen" || platform == "minimal") return;
    if (OpenGLAvailable()) {
        auto* glSurface = new QOpenGLWidget(this);
        glSurface->setObjectName("GlSurface");
        glSurface->hide();
    } else {
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    }
}

TWebBrowser::~TWebBrowser()
{
    // The page must go before its profile, or the engine complains and may crash.
    delete view_;
    delete profile_;
}

void TWebBrowser::StartEngine()
{
    if (view_) return;
    TurnOffSandboxForRoot();
    // No storage name: off the record, nothing kept on disk.
    profile_ = new QWebEngineProfile(this);
    view_ = new QWebEngineView(this);
    auto* page = new QWebEnginePage(profile_, view_);
    view_->setPage(page);
    layout()->addWidget(view_);

    QObject::connect(view_, &QWebEngineView::loadStarted, this, [this] {
        busy_ = true;
        if (OnDownloadBegin) OnDownloadBegin(this);
    });
    QObject::connect(view_, &QWebEngineView::loadProgress, this, [this](int progress) {
        if (OnProgressChange) OnProgressChange(this, progress, 100);
    });
    QObject::connect(view_, &QWebEngineView::loadFinished, this, [this](bool) {
        busy_ = false;
        QPointer<TWebBrowser> self(this);  // a handler may free the browser
        if (OnDownloadComplete) OnDownloadComplete(this);
        if (self && OnDocumentComplete) OnDocumentComplete(this, LocationURL());
    });
    QObject::connect(page, &QWebEnginePage::linkHovered, this, [this](const QString& url) {
        if (OnStatusTextChange) OnStatusTextChange(this, FromQt(url));
    });
}

void TWebBrowser::Navigate(const String& url)
{
    const String address = BrowserAddress(url);
    if (address.empty()) return;
    StartEngine();
    view_->setUrl(QUrl(ToQt(address)));
}

void TWebBrowser::GoBack()
{
    if (view_) view_->back();
}

void TWebBrowser::GoForward()
{
    if (view_) view_->forward();
}

void TWebBrowser::Stop()
{
    if (view_) view_->stop();
}

void TWebBrowser::Refresh()
{
    if (view_) view_->reload();
}

String TWebBrowser::LocationURL() const { return view_ ? FromQt(view_->url().toString()) : String(); }

} // namespace velvane
