#include "FetchEnd.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QVariantMap>

DesktopNote NotificationFor(const FetchEnd &end) {
    switch (end.exitCode) {
        case kFetchDone:
            return {QStringLiteral("今天的图片已下载"), end.line};
        case kFetchNotAllSaved:
            return {QStringLiteral("部分图片无法保存"), end.line};
        default:
            return {QStringLiteral("今天的图片没有下载"), end.line};
    }
}

bool ShowDesktopNotification(const DesktopNote &note) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    QDBusInterface notifications(QStringLiteral("org.freedesktop.Notifications"),
                                 QStringLiteral("/org/freedesktop/Notifications"),
                                 QStringLiteral("org.freedesktop.Notifications"), bus);
    if (!notifications.isValid()) return false;
    const QDBusReply<uint> reply = notifications.call(
        QStringLiteral("Notify"), QStringLiteral("Lumora"), 0u, QStringLiteral("lumora"),
        note.summary, note.body, QStringList(),
        QVariantMap{{QStringLiteral("desktop-entry"), QStringLiteral("lumora")}}, -1);
    return reply.isValid();
}
