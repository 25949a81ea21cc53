#include "view/CLumoraView.h"

#include <QAction>

#include "app/CommandIds.h"
#include "app/MenuActions.h"
#include "platform/DirectoryListing.h"

CLumoraView::CLumoraView(Prompter &prompter, QWidget *parent)
    : QAbstractScrollArea(parent), prompter_(prompter) {
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
}

void CLumoraView::LoadPath(const QString &path) {
    m_strPath = path;
    const bool picture = IsPicturePath(path);
    window()->setWindowTitle(QStringLiteral("Lumora 1.00 - ") + (picture ? FileNameOf(path) : path));
    EnableFrameMenuItem(ID_EDIT_DELETE_PICTURE, picture ? MF_ENABLED : MF_GRAYED);
}

void CLumoraView::EnableFrameMenuItem(int id, int flags) {
    if (QAction *action = FindFrameMenuAction(this, id)) action->setEnabled(flags == MF_ENABLED);
}

void CLumoraView::OnDeletePicture() {}

void CLumoraView::SetTipsActive(bool) {}
