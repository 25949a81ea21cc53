#include "ViewHarness.h"

#include <gtest/gtest.h>

#include <QTest>

ViewHarness::ViewHarness(int clientWidth, int clientHeight) : window_(new QMainWindow) {
    auto *central = new QWidget;
    window_->setCentralWidget(central);
    view_ = new PictureView(browser_, prompter_, central);
    const int frame = view_->frameWidth();
    view_->setGeometry(0, 0, clientWidth + 2 * frame, clientHeight + 2 * frame);
    QObject::connect(&browser_, &PictureBrowser::groupEntered,
                     [this](const QString &folder) { entered_.push_back(folder); });
    QObject::connect(view_, &PictureView::deleteRequested, [this] { ++deletionsRequested_; });
    window_->resize(clientWidth + 2 * frame + 240, clientHeight + 2 * frame + 80);
    window_->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
}

ViewHarness::~ViewHarness() = default;

void ViewHarness::MoveWindowTo(QPoint topLeft) {
    window_->move(topLeft);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    QCoreApplication::processEvents();
}

QPoint ViewHarness::ClientPoint(QPoint outer) const {
    return view_->viewport()->mapFromGlobal(view_->mapToGlobal(outer));
}

void ViewHarness::MoveTo(QPoint outer) { QTest::mouseMove(view_->viewport(), ClientPoint(outer)); }

void ViewHarness::ClickAt(QPoint outer) {
    QTest::mouseClick(view_->viewport(), Qt::LeftButton, Qt::NoModifier, ClientPoint(outer));
}

QImage ViewHarness::Grab() {
    return view_->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}
