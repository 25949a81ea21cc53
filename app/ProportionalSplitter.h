#pragma once

#include <QSplitter>

// A side-by-side splitter whose bar keeps its proportion of the usable width (in parts of
// 10000) when the splitter is resized; moving the bar sets a new proportion.
class ProportionalSplitter : public QSplitter {
    Q_OBJECT
public:
    explicit ProportionalSplitter(int proportion, QWidget *parent = nullptr);

    int proportion() const { return proportion_; }
    // The left pane's width for the current size, by MulDiv rounding.
    int LeftWidthFor(int splitterWidth) const;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void ApplyProportion();
    int proportion_;
};
