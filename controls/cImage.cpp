#include "cImage.h"

#include <QAccessibleWidget>
#include <QBitmap>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>

#include <mutex>

namespace vorpane {

namespace {

// To assistive technology a picture control is a graphic (a plain widget
// would be an unnamed filler). The class name Qt asks about is QWidget's:
// the control has no meta-object of its own.
QAccessibleInterface* ImageAccessibleFactory(const QString&, QObject* Object) {
    if (auto* image = dynamic_cast<TImage*>(Object)) {
        return new QAccessibleWidget(image, QAccessible::Graphic);
    }
    return nullptr;
}

std::uint32_t KeysOf(const QMouseEvent* Event) {
    std::uint32_t keys = 0;
    const Qt::MouseButtons buttons = Event->buttons();
    const Qt::KeyboardModifiers modifiers = Event->modifiers();
    if (buttons & Qt::LeftButton) {
        keys |= MK_LBUTTON;
    }
    if (buttons & Qt::RightButton) {
        keys |= MK_RBUTTON;
    }
    if (buttons & Qt::MiddleButton) {
        keys |= MK_MBUTTON;
    }
    if (modifiers & Qt::ShiftModifier) {
        keys |= MK_SHIFT;
    }
    if (modifiers & Qt::ControlModifier) {
        keys |= MK_CONTROL;
    }
    return keys;
}

TWMMouse MessageOf(std::uint32_t Msg, const QMouseEvent* Event) {
    const QPoint at = Event->position().toPoint();
    TWMMouse message;
    message.Msg = Msg;
    message.Keys = KeysOf(Event);
    message.XPos = static_cast<std::int16_t>(at.x());
    message.YPos = static_cast<std::int16_t>(at.y());
    return message;
}

TShiftState ShiftOf(const TWMMouse& Msg, Qt::KeyboardModifiers Modifiers) {
    TShiftState shift = 0;
    if (Msg.Keys & MK_SHIFT) {
        shift |= ssShift;
    }
    if (Msg.Keys & MK_CONTROL) {
        shift |= ssCtrl;
    }
    if (Msg.Keys & MK_LBUTTON) {
        shift |= ssLeft;
    }
    if (Msg.Keys & MK_RBUTTON) {
        shift |= ssRight;
    }
    if (Msg.Keys & MK_MBUTTON) {
        shift |= ssMiddle;
    }
    if (Modifiers & Qt::AltModifier) {
        shift |= ssAlt;
    }
    return shift;
}

} // namespace

TShiftState ShiftStateOf(Qt::KeyboardModifiers Modifiers) {
    TShiftState shift = 0;
    if (Modifiers & Qt::ShiftModifier) {
        shift |= ssShift;
    }
    if (Modifiers & Qt::ControlModifier) {
        shift |= ssCtrl;
    }
    if (Modifiers & Qt::AltModifier) {
        shift |= ssAlt;
    }
    return shift;
}

bool RunKeyDown(const TKeyEvent& Handler, QObject* Sender, const QWidget* Control,
                const QKeyEvent* Event) {
    if (!Handler || !Control->hasFocus()) {
        return false;
    }
    int key = Event->key();
    Handler(Sender, key, ShiftStateOf(Event->modifiers()));
    return key == 0;
}

QEvent::Type PictureChangedEvent() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

QPixmap MakeTransparentBitmap(const QImage& Image) {
    QPixmap bitmap = QPixmap::fromImage(Image.convertToFormat(QImage::Format_RGB32));
    bitmap.setDevicePixelRatio(Image.devicePixelRatio());
    if (!Image.isNull()) {
        const QColor transparent = Image.pixelColor(0, Image.height() - 1);
        bitmap.setMask(bitmap.createMaskFromColor(transparent, Qt::MaskInColor));
    }
    return bitmap;
}

TImage::TImage(QWidget* Owner) : QWidget(Owner) {
    // A fresh picture control is 105 x 105 until its owner sizes it.
    resize(105, 105);
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(&ImageAccessibleFactory); });
}

void TImage::SetPicture(const QPixmap& Value) {
    picture_ = Value;
    update();
    NotifyPictureChanged();
}

void TImage::SetCenter(bool Value) {
    center_ = Value;
    update();
    NotifyPictureChanged();
}

QPoint TImage::PictureOrigin() const {
    if (!center_) {
        return {0, 0};
    }
    const QSize size = picture_.deviceIndependentSize().toSize();
    return {(width() - size.width()) / 2, (height() - size.height()) / 2};
}

void TImage::WMLButtonDown(TWMMouse& Msg) {
    clicked_ = true;
    if (OnMouseDown) {
        OnMouseDown(this, mbLeft, ShiftOf(Msg, QGuiApplication::keyboardModifiers()), Msg.XPos,
                    Msg.YPos);
    }
}

void TImage::WMLButtonUp(TWMMouse& Msg) {
    if (clicked_) {
        clicked_ = false;
        if (rect().contains(Msg.XPos, Msg.YPos)) {
            Click();
        }
    }
    if (OnMouseUp) {
        OnMouseUp(this, mbLeft, ShiftOf(Msg, QGuiApplication::keyboardModifiers()), Msg.XPos,
                  Msg.YPos);
    }
}

void TImage::WMLButtonDblClk(TWMMouse& Msg) {
    // The second press of a double click is no press: it marks nothing for a
    // click, so its release clicks nothing.
    DblClick();
    if (OnMouseDown) {
        OnMouseDown(this, mbLeft, ShiftOf(Msg, QGuiApplication::keyboardModifiers()) | ssDouble,
                    Msg.XPos, Msg.YPos);
    }
}

void TImage::CMMouseEnter(TWMMouse&) {}

void TImage::CMMouseLeave(TWMMouse&) {}

void TImage::Click() {
    if (OnClick) {
        OnClick(this);
    }
}

void TImage::DblClick() {
    if (OnDblClick) {
        OnDblClick(this);
    }
}

void TImage::paintEvent(QPaintEvent*) {
    if (picture_.isNull()) {
        return;
    }
    QPainter painter(this);
    painter.drawPixmap(PictureOrigin(), picture_);
}

void TImage::mousePressEvent(QMouseEvent* Event) {
    Event->accept();
    if (Event->button() == Qt::LeftButton) {
        TWMMouse message = MessageOf(WM_LBUTTONDOWN, Event);
        WMLButtonDown(message);
    } else if (Event->button() == Qt::RightButton) {
        OtherButton(WM_RBUTTONDOWN, mbRight, 0, Event);
    } else if (Event->button() == Qt::MiddleButton) {
        OtherButton(WM_MBUTTONDOWN, mbMiddle, 0, Event);
    }
}

void TImage::mouseReleaseEvent(QMouseEvent* Event) {
    Event->accept();
    if (Event->button() == Qt::LeftButton) {
        TWMMouse message = MessageOf(WM_LBUTTONUP, Event);
        WMLButtonUp(message);
    } else if (Event->button() == Qt::RightButton) {
        OtherButton(WM_RBUTTONUP, mbRight, 0, Event);
    } else if (Event->button() == Qt::MiddleButton) {
        OtherButton(WM_MBUTTONUP, mbMiddle, 0, Event);
    }
}

// Qt delivers the second press of a double click as this event alone, never
// as a press as well.
void TImage::mouseDoubleClickEvent(QMouseEvent* Event) {
    Event->accept();
    if (Event->button() == Qt::LeftButton) {
        TWMMouse message = MessageOf(WM_LBUTTONDBLCLK, Event);
        WMLButtonDblClk(message);
    } else if (Event->button() == Qt::RightButton) {
        OtherButton(WM_RBUTTONDOWN, mbRight, ssDouble, Event);
    } else if (Event->button() == Qt::MiddleButton) {
        OtherButton(WM_MBUTTONDOWN, mbMiddle, ssDouble, Event);
    }
}

// While a button is held Qt grabs the mouse for the control that took the
// press and sends it neither leave nor enter until the release. The control
// that holds the mouse must still learn when the pointer leaves it and comes
// back, so it follows the pointer itself.
void TImage::mouseMoveEvent(QMouseEvent* Event) {
    if (Event->buttons() != Qt::NoButton) {
        SetPointerOver(rect().contains(Event->position().toPoint()));
    }
}

void TImage::enterEvent(QEnterEvent*) {
    SetPointerOver(true);
}

void TImage::leaveEvent(QEvent*) {
    SetPointerOver(false);
}

void TImage::showEvent(QShowEvent*) {
    NotifyPictureChanged();
}

void TImage::hideEvent(QHideEvent*) {
    NotifyPictureChanged();
}

void TImage::moveEvent(QMoveEvent*) {
    NotifyPictureChanged();
}

void TImage::resizeEvent(QResizeEvent*) {
    NotifyPictureChanged();
}

// Qt's own enter and leave events and the grabbed moves can both report the
// same change; the handlers hear of each change once.
void TImage::SetPointerOver(bool Over) {
    if (Over == pointerOver_) {
        return;
    }
    pointerOver_ = Over;
    TWMMouse message;
    message.Msg = Over ? CM_MOUSEENTER : CM_MOUSELEAVE;
    if (Over) {
        CMMouseEnter(message);
    } else {
        CMMouseLeave(message);
    }
}

void TImage::OtherButton(std::uint32_t Msg, TMouseButton Button, TShiftState Extra,
                         QMouseEvent* Event) {
    const TWMMouse message = MessageOf(Msg, Event);
    const bool down = Msg == WM_RBUTTONDOWN || Msg == WM_MBUTTONDOWN;
    const TMouseEvent& handler = down ? OnMouseDown : OnMouseUp;
    if (handler) {
        handler(this, Button, ShiftOf(message, Event->modifiers()) | Extra, message.XPos,
                message.YPos);
    }
}

void TImage::NotifyPictureChanged() {
    QWidget* top = window();
    if (top != this) {
        QCoreApplication::postEvent(top, new QEvent(PictureChangedEvent()));
    }
}

} // namespace vorpane
