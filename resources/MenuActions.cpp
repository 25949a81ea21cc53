#include "resources/MenuActions.h"

#include <QAction>
#include <QWidget>

#include "resources/CommandIds.h"

QAction *FindFrameMenuAction(const QWidget *widget, int id) {
    if (!widget) return nullptr;
    for (QAction *action : widget->window()->findChildren<QAction *>()) {
        if (action->property(kFrameMenuProperty).toBool() &&
            action->property(kCommandIdProperty).toInt() == id)
            return action;
    }
    return nullptr;
}

bool IsDownloadRunning(const QWidget *widget) {
    const QAction *download = FindFrameMenuAction(widget, ID_ACTION_DOWNLOAD);
    return download && !download->isEnabled();
}
