#include <gtest/gtest.h>

#include <QDialog>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <mutex>

#include "app/HeldInput.h"

namespace {

// A dialog that a timer opens during the call takes no key while the call runs, and takes keys
// again once it is over, although its own loop runs inside the wait's.
TEST(HeldInput, ADialogOpenedDuringTheCallTakesKeysOnceTheCallIsOver) {
    constexpr int kHeldKeys = 5, kMostKeys = 10000;
    std::mutex mutex;
    std::condition_variable changed;
    bool released = false;
    int keys = 0, result = -1;
    QTimer::singleShot(0, [&] {
        QDialog dialog;
        QTimer escape;
        QObject::connect(&escape, &QTimer::timeout, [&] {
            QTest::keyClick(&dialog, Qt::Key_Escape);
            if (++keys == kHeldKeys) {
                std::lock_guard lock(mutex);
                released = true;
                changed.notify_all();
            }
            if (keys == kMostKeys) dialog.done(2);
        });
        escape.start(0);
        result = dialog.exec();
    });

    HeldInput held;
    EXPECT_TRUE(held.Run([&] {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return released; });
    }));

    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_GT(keys, kHeldKeys) << "a key reached the dialog during the call";
}

}  // namespace
