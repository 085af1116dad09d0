#include "cImgBtn.h"

#include <QKeyEvent>
#include <QPainter>

namespace vorpane {

namespace {

// The focus mark's colour: the skin's blue.
const QColor kFocusMark(0x2F, 0x80, 0xED);

} // namespace

TImgBtn::TImgBtn(QWidget* Owner) : TImage(Owner) {
    setFocusPolicy(Qt::TabFocus);
}

void TImgBtn::SetPic(const QPixmap& Value) {
    SetPicture(Value);
    pic_ = Value;
}

void TImgBtn::SetPicDown(const QPixmap& Value) {
    picDown_ = Value;
}

void TImgBtn::SetPicUp(const QPixmap& Value) {
    picUp_ = Value;
}

void TImgBtn::CMMouseEnter(TWMMouse& Msg) {
    if (!Supported) {
        return;
    }
    mouseInside_ = true;
    SetPicture(buttonDown_ ? picDown_ : picUp_);
    if (OnMouseEnter) {
        OnMouseEnter(Msg);
    }
}

void TImgBtn::CMMouseLeave(TWMMouse& Msg) {
    if (!Supported) {
        return;
    }
    mouseInside_ = false;
    SetPicture(pic_);
    if (OnMouseLeave) {
        OnMouseLeave(Msg);
    }
}

void TImgBtn::WMLButtonDown(TWMMouse& Msg) {
    TImage::WMLButtonDown(Msg);
    if (!Supported) {
        return;
    }
    buttonDown_ = true;
    if (mouseInside_) {
        SetPicture(picDown_);
    }
    if (OnMouseDown) {
        OnMouseDown(Msg);
    }
}

// The click runs first, inside the inherited handling, while the pressed
// picture is still shown. A click that raises an error still ends the press
// here before the error travels on: otherwise the button would keep
// ButtonDown and show its pressed picture at every later hover.
void TImgBtn::WMLButtonUp(TWMMouse& Msg) {
    try {
        TImage::WMLButtonUp(Msg);
    } catch (...) { // the press ends, whatever the click raised; on it goes
        Released(Msg);
        throw;
    }
    Released(Msg);
}

void TImgBtn::Released(TWMMouse& Msg) {
    if (!Supported) {
        return;
    }
    buttonDown_ = false;
    if (mouseInside_) {
        SetPicture(picUp_);
    }
    if (OnMouseUp) {
        OnMouseUp(Msg);
    }
}

void TImgBtn::paintEvent(QPaintEvent* Event) {
    TImage::paintEvent(Event);
    if (hasFocus()) {
        QPainter painter(this);
        painter.setPen(QPen(kFocusMark, 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

// A key's press is a press of the left button where the pointer would be at
// the button's top-left corner: inside it, so the release clicks.
void TImgBtn::KeyDown() {
    TWMMouse message;
    message.Msg = WM_LBUTTONDOWN;
    message.Keys = MK_LBUTTON;
    WMLButtonDown(message);
}

void TImgBtn::KeyUp() {
    TWMMouse message;
    message.Msg = WM_LBUTTONUP;
    WMLButtonUp(message);
}

void TImgBtn::keyPressEvent(QKeyEvent* Event) {
    switch (Event->key()) {
    case Qt::Key_Space:
        // Held down, the key repeats; the button stays pressed.
        if (!spaceDown_) {
            spaceDown_ = true;
            KeyDown();
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!Event->isAutoRepeat()) {
            KeyDown();
            KeyUp();
        }
        break;
    default:
        TImage::keyPressEvent(Event);
        return;
    }
    Event->accept();
}

void TImgBtn::keyReleaseEvent(QKeyEvent* Event) {
    if (Event->key() == Qt::Key_Space && !Event->isAutoRepeat() && spaceDown_) {
        spaceDown_ = false;
        Event->accept();
        KeyUp();
        return;
    }
    TImage::keyReleaseEvent(Event);
}

void TImgBtn::focusInEvent(QFocusEvent* Event) {
    TImage::focusInEvent(Event);
    update();
}

// Focus lost with Space still down: no release will come, so let go here,
// as the mouse does when released off the button.
void TImgBtn::focusOutEvent(QFocusEvent* Event) {
    TImage::focusOutEvent(Event);
    update();
    if (spaceDown_) {
        spaceDown_ = false;
        TWMMouse message;
        message.Msg = WM_LBUTTONUP;
        message.XPos = -1;
        WMLButtonUp(message);
    }
}

} // namespace vorpane
