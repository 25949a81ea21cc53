#pragma once

#include <QMainWindow>
#include <QPoint>
#include <QString>
#include <memory>
#include <vector>

#include "support/ScriptedPrompter.h"
#include "support/TestFolders.h"
#include "view/PictureBrowser.h"
#include "view/PictureView.h"

// The picture view on its browser in a window; it records the folders the browser's group steps
// entered and the view's deletion requests. The view's client area is `clientWidth` x
// `clientHeight`.
class ViewHarness {
public:
    explicit ViewHarness(int clientWidth = 400, int clientHeight = 300);
    ~ViewHarness();

    PictureBrowser &browser() { return browser_; }
    PictureView &view() { return *view_; }
    ScriptedPrompter &prompter() { return prompter_; }
    // The folders group steps entered, in order, and how often the view asked for a deletion.
    const std::vector<QString> &entered() const { return entered_; }
    int deletionsRequested() const { return deletionsRequested_; }
    // Moves the window onto the screen at `topLeft` and waits until it shows there.
    void MoveWindowTo(QPoint topLeft);

    // Mouse input at a point of the view's outer rectangle (its frame included).
    void MoveTo(QPoint outer);
    void ClickAt(QPoint outer);
    // The view's client area as shown on screen.
    QImage Grab();

private:
    QPoint ClientPoint(QPoint outer) const;

    ScriptedPrompter prompter_;
    PictureBrowser browser_;
    std::unique_ptr<QMainWindow> window_;
    PictureView *view_ = nullptr;
    std::vector<QString> entered_;
    int deletionsRequested_ = 0;
};
