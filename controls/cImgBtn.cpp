#include "cImgBtn.h"

namespace vorpane {

TImgBtn::TImgBtn(QWidget* Owner) : TImage(Owner) {}

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
    } catch (...) {
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

} // namespace vorpane
