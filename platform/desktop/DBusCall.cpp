#include "platform/desktop/DBusCall.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QVariant>

namespace velvane {

bool CallSessionBus(const String& service, const String& path, const String& interface,
                    const String& method, const std::vector<String>& args)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromStdString(service), QString::fromStdString(path),
                                                       QString::fromStdString(interface),
                                                       QString::fromStdString(method));
    QList<QVariant> arguments;
    for (const String& a : args) arguments << QVariant(QString::fromStdString(a));
    call.setArguments(arguments);
    // A desktop that hangs must not hang the program with it.
    const QDBusMessage reply = bus.call(call, QDBus::Block, 10000);
    return reply.type() == QDBusMessage::ReplyMessage;
}

} // namespace velvane
