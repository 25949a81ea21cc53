#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPushButton>

namespace {

// The test main loads Qt's translations as the program does. Yes and No keep their access keys,
// shown as 是(Y) and 否(N).
TEST(QtTranslationsTest, StandardButtonsReadChinese) {
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel |
                           QMessageBox::Ok);
    const std::pair<QMessageBox::StandardButton, QString> expected[] = {
        {QMessageBox::Yes, QStringLiteral("是(&Y)")},
        {QMessageBox::No, QStringLiteral("否(&N)")},
        {QMessageBox::Cancel, QStringLiteral("取消")},
        {QMessageBox::Ok, QStringLiteral("确定")},
    };
    for (const auto &[button, text] : expected) {
        ASSERT_NE(box.button(button), nullptr);
        EXPECT_EQ(box.button(button)->text(), text);
    }
}

}  // namespace
