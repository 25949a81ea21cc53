#pragma once

#include <QObject>
#include <QSize>
#include <QSizeF>

// The scale pictures are shown at, chosen for the rest of the run: natural size (one picture
// pixel on one device pixel), fitted to the pane (pictures larger than it scaled down whole,
// smaller ones at natural size), or a zoom the user stepped to.
class PictureZoom : public QObject {
    Q_OBJECT
public:
    enum class Mode { Natural, Fit, Zoomed };

    explicit PictureZoom(QObject *parent = nullptr) : QObject(parent) {}

    Mode mode() const { return mode_; }
    bool fitting() const { return mode_ == Mode::Fit; }
    // The scale a picture of `pixels` is shown at in a pane of `pane` device pixels.
    qreal ScaleFor(QSize pixels, QSizeF pane) const;
    // The largest scale, at most 1, at which `pixels` fit `pane` whole.
    static qreal FitScale(QSize pixels, QSizeF pane);

    void ToggleFit();
    void ShowActualSize();
    // One step up or down the zoom scales from the scale `pixels` is shown at now.
    void ZoomIn(QSize pixels, QSizeF pane) { Step(+1, pixels, pane); }
    void ZoomOut(QSize pixels, QSizeF pane) { Step(-1, pixels, pane); }

signals:
    void changed();

private:
    void Step(int direction, QSize pixels, QSizeF pane);
    void Set(Mode mode, qreal scale);

    Mode mode_ = Mode::Natural;
    qreal scale_ = 1;  // while zoomed
};
