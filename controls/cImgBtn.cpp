#include "cImgBtn.h"

#include "cFocusMark.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QPainter>

#include <mutex>

namespace vorpane {

namespace {

// The button as assistive technology sees it: its role, its state and the
// one action, a press. Name and description come from the widget (its
// accessible name; its accessible description, else its tool tip).
class TImgBtnAccessible : public QAccessibleWidget {
public:
    explicit TImgBtnAccessible(TImgBtn* Button)
        : QAccessibleWidget(Button, Button->AccessibleRole) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        const auto* button = static_cast<const TImgBtn*>(widget());
        if (button->AccessibleRole == QAccessible::PageTab) {
            state.selectable = true;
            state.selected = button->Checked;
        } else {
            state.pressed = button->ButtonDown();
        }
        return state;
    }

    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& ActionName) override {
        auto* button = static_cast<TImgBtn*>(widget());
        if (ActionName == pressAction() && button->isEnabled() && button->isVisible()) {
            button->Press();
            return;
        }
        QAccessibleWidget::doAction(ActionName);
    }
};

// The class name Qt asks about is QWidget's (the button has no meta-object
// of its own), so the factory looks at the object itself.
QAccessibleInterface* ImgBtnAccessibleFactory(const QString&, QObject* Object) {
    if (auto* button = dynamic_cast<TImgBtn*>(Object)) {
        return new TImgBtnAccessible(button);
    }
    return nullptr;
}

} // namespace

TImgBtn::TImgBtn(QWidget* Owner) : TImage(Owner) {
    setFocusPolicy(Qt::TabFocus);
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(&ImgBtnAccessibleFactory); });
}

void TImgBtn::Press() {
    KeyDown();
    KeyUp();
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
        DrawFocusMark(painter, rect());
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
            Press();
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
