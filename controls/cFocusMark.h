// The focus mark of the window's controls: a ring of the skin's blue, two
// pixels wide, lined inside with one pixel of white, so that it shows on the
// white panels and on the dark title bar alike.
//
// The image buttons draw it inside their own rectangle. TFocusMark draws it
// for every other control of its window: a see-through control above them
// all that frames whichever has the keyboard focus, just outside its edges.
#pragma once

#include <QWidget>

#include <functional>

class QPainter;

namespace vorpane {

// The mark along the inside of Outer.
void DrawFocusMark(QPainter& Painter, const QRect& Outer);

class TFocusMark : public QWidget {
public:
    // Follows the focus among the controls inside Window.
    explicit TFocusMark(QWidget* Window);

    // Whether a control draws its own mark; TFocusMark leaves it alone.
    std::function<bool(const QWidget* Control)> DrawsOwn;

    // The control framed now; nullptr when none is.
    const QWidget* Target() const { return target_; }

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    void Follow(QWidget* Focus);

    QWidget* window_;
    QWidget* target_ = nullptr;
};

} // namespace vorpane
