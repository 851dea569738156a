#pragma once
// The desktop's notification area, over QSystemTrayIcon: an icon in it, the
// widget Qt docks for the icon in an X11 area, and the watch that learns when
// an area comes or goes. Main thread only.

#include <QEvent>
#include <QImage>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <vector>

namespace velvane {

// One icon in the area. Its mouse actions come from the widget Qt docks in an
// X11 area (once claimed, see ClaimDockedWidgets); through another kind of
// area, from Qt's activation signal, a click as its press and release. Each
// reaches MouseAction queued, after the event that made it.
class NotifyAreaIcon : public QObject {
public:
    NotifyAreaIcon();
    ~NotifyAreaIcon() override;

    // Qt shows no icon without a picture: a blank one stands in for none.
    void SetPicture(QImage picture);
    void SetTip(const QString& tip);
    void Show();
    // Hides the icon and frees it later: it may be the icon whose mouse
    // action is being handled now.
    void Remove();

    QString Tip() const;
    QImage Picture() const;  // as shown, 16 x 16
    bool Docked() const;     // its widget is shown in an X11 area
    QWidget* DockedWidget() const;
    bool HasWidget() const;
    void Claim(QWidget* widget);

protected:
    // A press, release, double click or move of the button at the screen
    // point; never once the icon is removed.
    virtual void MouseAction(QEvent::Type type, Qt::MouseButton button, QPoint at) = 0;

    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void Queue(QEvent::Type type, Qt::MouseButton button, QPoint at);

    bool removed_ = false;
    QSystemTrayIcon icon_;
    QPointer<QWidget> widget_;
};

// Gives the widgets Qt made for our icons that no icon holds yet to the
// icons without one, in the order given; a widget Qt makes again after the
// area came back is taken by the icon that lost its own.
void ClaimDockedWidgets(const std::vector<NotifyAreaIcon*>& icons);

// Whether the desktop shows a notification area now.
bool NotifyAreaPresent();

// Calls back whenever an area may have come or gone, queued, so that Qt has
// made its own widgets again by then. It learns of changes from the X
// server's own events, as Qt's X11 tray does (the area's manager announcing
// itself on the root window, its window destroyed), and from the D-Bus tray
// host's name changing owner: nothing runs while nothing changes.
class NotifyAreaWatch : public QObject {
public:
    explicit NotifyAreaWatch(std::function<void()> changed);
    // Once.
    void Start();

private:
    QTimer changed_;
};

} // namespace velvane
