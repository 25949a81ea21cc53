#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <thread>

#include "platform/QtPrompter.h"

namespace {

// Clicks `button` of the first message box that shows up and notes whether it was modal then.
class BoxAnswerer {
public:
    explicit BoxAnswerer(QMessageBox::StandardButton button) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this, button] {
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                auto *box = qobject_cast<QMessageBox *>(widget);
                if (!box || !box->isVisible()) continue;
                timer_.stop();
                modal = QApplication::activeModalWidget() == box;
                text = box->text();
                box->button(button)->click();
                return;
            }
        });
        timer_.start();
    }
    bool modal = false;
    QString text;

private:
    QTimer timer_;
};

struct OwnerCase {
    const char *name;
    bool withOwner;
    bool fromWorkerThread;
    bool modal;
};

void PrintTo(const OwnerCase &c, std::ostream *os) { *os << c.name; }

class QtPrompterOwnerTest : public ::testing::TestWithParam<OwnerCase> {};

// A box without an owner (as a worker's always is) leaves the other windows usable.
TEST_P(QtPrompterOwnerTest, OnlyABoxWithAnOwnerIsModal) {
    QWidget frame;
    frame.show();
    QtPrompter prompter(nullptr);
    BoxAnswerer answerer(QMessageBox::Yes);
    const Message message{QStringLiteral("是否更新?"), QStringLiteral("有新版本"), Buttons::YesNo,
                          Icon::Question};
    QWidget *owner = GetParam().withOwner ? &frame : nullptr;

    Answer answer = Answer::Cancel;
    if (GetParam().fromWorkerThread) {
        std::atomic<bool> done{false};
        std::thread worker([&] {
            answer = prompter.ShowMessage(owner, message);
            done = true;
        });
        while (!done) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        worker.join();
    } else {
        answer = prompter.ShowMessage(owner, message);
    }
    EXPECT_EQ(answer, Answer::Yes);
    EXPECT_EQ(answerer.text, "是否更新?");
    EXPECT_EQ(answerer.modal, GetParam().modal);
}

INSTANTIATE_TEST_SUITE_P(Owners, QtPrompterOwnerTest,
                         ::testing::Values(OwnerCase{"WithOwner", true, false, true},
                                           OwnerCase{"WithoutOwner", false, false, false},
                                           OwnerCase{"FromWorkerThread", true, true, false}),
                         [](const auto &info) { return std::string(info.param.name); });

}  // namespace
