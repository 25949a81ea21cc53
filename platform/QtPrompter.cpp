#include "platform/QtPrompter.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QMessageBox>
#include <QThread>

namespace {

template <typename Result, typename Call>
Result OnGuiThread(Call call) {
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) return call();
    Result result{};
    QMetaObject::invokeMethod(
        app, [&] { result = call(); }, Qt::BlockingQueuedConnection);
    return result;
}

QWidget *OwnerOnThisThread(QWidget *owner) {
    QCoreApplication *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread() ? owner : nullptr;
}

// A box with an owner is modal. A box without one blocks only its caller, as a local loop:
// every window stays usable while it is open.
int RunBox(QMessageBox &box, QWidget *owner) {
    if (owner) return box.exec();
    QEventLoop loop;
    QObject::connect(&box, &QDialog::finished, &loop, &QEventLoop::quit);
    box.setWindowModality(Qt::NonModal);
    box.show();
    loop.exec();
    return box.standardButton(box.clickedButton());
}

}  // namespace

Answer QtPrompter::ShowMessage(QWidget *owner, const Message &message) {
    owner = OwnerOnThisThread(owner);
    return OnGuiThread<Answer>([&] {
        QMessageBox box(owner);
        box.setWindowTitle(message.caption);
        box.setText(message.text);
        switch (message.icon) {
            case Icon::None:
                box.setIcon(QMessageBox::NoIcon);
                break;
            case Icon::Question:
                box.setIcon(QMessageBox::Question);
                break;
            case Icon::Information:
                box.setIcon(QMessageBox::Information);
                break;
        }
        switch (message.buttons) {
            case Buttons::Ok:
                box.setStandardButtons(QMessageBox::Ok);
                break;
            case Buttons::YesNo:
                box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
                break;
            case Buttons::YesNoCancel:
                box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
                break;
        }
        switch (RunBox(box, owner)) {
            case QMessageBox::Yes:
                return Answer::Yes;
            case QMessageBox::No:
                return Answer::No;
            case QMessageBox::Cancel:
                return Answer::Cancel;
            default:
                return message.buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
        }
    });
}

std::optional<QString> QtPrompter::ChooseFolder(QWidget *owner, const QString &title) {
    owner = OwnerOnThisThread(owner);
    return OnGuiThread<std::optional<QString>>([&]() -> std::optional<QString> {
        QString folder = QFileDialog::getExistingDirectory(owner, title);
        if (folder.isEmpty()) return std::nullopt;
        return folder;
    });
}

bool QtPrompter::ShowNotice(QWidget *owner) {
    owner = OwnerOnThisThread(owner);
    return OnGuiThread<bool>([&] { return runNotice_ && runNotice_(owner); });
}
