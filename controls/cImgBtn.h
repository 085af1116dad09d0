// TImgBtn: the window's clickable picture. It swaps between a normal, a hover
// and a pressed picture as the pointer comes and goes and the left button
// goes down and up, and reports those four moments through its own events,
// which hand over the very mouse message being handled.
//
// The Tab key reaches it (a click does not take the focus, so the control
// that had it keeps it), and a focus mark then frames it. With the focus,
// the keyboard works it as the left mouse button does: Space presses it and
// its release lets go, clicking; Return and Enter press and let go at once.
//
// To assistive technology (a screen reader, through AT-SPI) it is a push
// button, or a page tab where AccessibleRole says so, named by its accessible
// name and described by its accessible description or tool tip; the
// interface's press action clicks it as the keyboard does.
#pragma once

#include "cImage.h"

#include <QAccessible>

namespace vorpane {

using TOnMouseEvent = std::function<void(TWMMouse& Msg)>;

class TImgBtn : public TImage {
public:
    explicit TImgBtn(QWidget* Owner);

    // The stored pictures themselves; a caller may assign into them directly
    // (the shown picture then changes only at the next notification).
    QPixmap& Pic() { return pic_; }
    QPixmap& PicDown() { return picDown_; }
    QPixmap& PicUp() { return picUp_; }

    // SetPic shows a copy of the value at once; the other two only store.
    void SetPic(const QPixmap& Value);
    void SetPicDown(const QPixmap& Value);
    void SetPicUp(const QPixmap& Value);

    // These hide the picture control's own mouse-down and mouse-up events,
    // which are never set on a button.
    TOnMouseEvent OnMouseDown;
    TOnMouseEvent OnMouseEnter;
    TOnMouseEvent OnMouseLeave;
    TOnMouseEvent OnMouseUp;

    // False: a plain picture control; the pictures stay and the four events
    // above never fire, while the click still does.
    bool Supported = true;

    // What the button is to assistive technology; a page tab reports
    // Checked as its being the chosen one.
    QAccessible::Role AccessibleRole = QAccessible::PushButton;
    bool Checked = false;

    // A click as the keyboard makes it: pressed and let go at once.
    void Press();

    bool MouseInside() const { return mouseInside_; }
    bool ButtonDown() const { return buttonDown_; }

    void CMMouseEnter(TWMMouse& Msg) override;
    void CMMouseLeave(TWMMouse& Msg) override;
    void WMLButtonUp(TWMMouse& Msg) override;
    void WMLButtonDown(TWMMouse& Msg) override;

protected:
    void paintEvent(QPaintEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void keyReleaseEvent(QKeyEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;

private:
    void Released(TWMMouse& Msg);
    void KeyDown();
    void KeyUp();

    QPixmap pic_;
    QPixmap picUp_;
    QPixmap picDown_;
    bool mouseInside_ = false;
    bool buttonDown_ = false;
    // Space went down on the button and has not come up yet.
    bool spaceDown_ = false;
};

} // namespace vorpane
