#pragma once

#include <QAbstractScrollArea>
#include <QString>

class Prompter;
class QTreeWidget;

// The picture view: one picture at a time at its natural size.
class CLumoraView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit CLumoraView(Prompter &prompter, QWidget *parent = nullptr);

    void LoadPath(const QString &path);
    void EnableFrameMenuItem(int id, int flags);
    void OnDeletePicture();
    // Tips on or off, as the frame's show-tips setting says.
    void SetTipsActive(bool active);

    QTreeWidget *m_pTree = nullptr;
    QString m_strRoot;
    QString m_strPath;
    bool m_bShowTip = true;

private:
    Prompter &prompter_;
};
