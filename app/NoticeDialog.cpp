#include "app/NoticeDialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>

#include "platform/Prompter.h"
#include "platform/SettingsStore.h"

namespace {

// The dialog is laid out in dialog units: a quarter of the font's average character width
// horizontally and an eighth of its height vertically.
class DialogUnits {
public:
    explicit DialogUnits(const QFontMetrics &metrics)
        : baseX_(metrics.averageCharWidth()), baseY_(metrics.height()) {}
    QRect Rect(int x, int y, int width, int height) const {
        return QRect(X(x), Y(y), X(width), Y(height));
    }
    int X(int units) const { return units * baseX_ / 4; }
    int Y(int units) const { return units * baseY_ / 8; }

private:
    int baseX_;
    int baseY_;
};

// The platform's text of the standard OK button, in the language of the loaded Qt translation.
QString StandardOkText() {
    QDialogButtonBox buttons(QDialogButtonBox::Ok);
    return buttons.button(QDialogButtonBox::Ok)->text();
}

}  // namespace

NoticeDialog::NoticeDialog(QWidget *owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("提示"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    const DialogUnits units(fontMetrics());
    setFixedSize(units.X(119), units.Y(74));

    auto *ok = new QPushButton(StandardOkText(), this);
    ok->setGeometry(units.Rect(35, 53, 50, 14));
    ok->setDefault(true);
    ok->setAutoDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] {
        closingWithOk_ = true;
        done(1);
    });

    auto *text = new QLabel(QStringLiteral("程序将暂时失去响应"), this);
    text->setGeometry(units.Rect(23, 14, 73, 8).adjusted(-units.X(10), 0, units.X(10), units.Y(2)));
    text->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    dontShowAgain_ = new QCheckBox(QStringLiteral("以后不再提示"), this);
    dontShowAgain_->setGeometry(units.Rect(30, 33, 58, 10).adjusted(0, 0, units.X(16), units.Y(2)));

    setTabOrder(ok, dontShowAgain_);
    ok->setFocus();
}

bool NoticeDialog::IsDontShowAgainTicked() const { return dontShowAgain_->isChecked(); }

void NoticeDialog::reject() {}

void NoticeDialog::closeEvent(QCloseEvent *event) {
    if (!closingWithOk_) event->ignore();
}

void ShowNoticeDialog(Prompter &prompter, const SettingsStore &settings, QWidget *owner) {
    if (prompter.ShowNotice(owner))
        settings.WriteSetting(QStringLiteral("isKnown"), QStringLiteral("1"));
}

bool RunNoticeDialog(QWidget *owner) {
    NoticeDialog dialog(owner);
    dialog.exec();
    return dialog.IsDontShowAgainTicked();
}
