// TImage: the window's picture control. It draws one picture, unstretched,
// at its top-left corner (or centred), and lets whatever lies beneath show
// where the picture does not reach or is masked out. Qt's mouse events are
// turned into small mouse-message records and dispatched to virtual
// handlers, so a derived control (the image button) can run its own steps
// before or after the inherited ones, in a fixed order.
#pragma once

#include <QEvent>
#include <QImage>
#include <QKeyEvent>
#include <QPixmap>
#include <QWidget>

#include <cstdint>
#include <functional>

namespace vorpane {

// Message numbers, as the handlers and the records passed to event handlers
// carry them.
enum : std::uint32_t {
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_LBUTTONDBLCLK = 0x0203,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    WM_MBUTTONDOWN = 0x0207,
    WM_MBUTTONUP = 0x0208,
    CM_MOUSEENTER = 0xB013,
    CM_MOUSELEAVE = 0xB014,
};

// Key and button state in TWMMouse::Keys.
enum : std::uint32_t {
    MK_LBUTTON = 0x01,
    MK_RBUTTON = 0x02,
    MK_SHIFT = 0x04,
    MK_CONTROL = 0x08,
    MK_MBUTTON = 0x10,
};

// One mouse message. The enter and leave notifications carry zeros apart
// from Msg.
struct TWMMouse {
    std::uint32_t Msg = 0;
    std::uint32_t Keys = 0;
    std::int16_t XPos = 0;
    std::int16_t YPos = 0;
    std::int32_t Result = 0;
};

enum TMouseButton { mbLeft, mbRight, mbMiddle };

enum : unsigned {
    ssShift = 0x01,
    ssAlt = 0x02,
    ssCtrl = 0x04,
    ssLeft = 0x08,
    ssRight = 0x10,
    ssMiddle = 0x20,
    ssDouble = 0x40,
};
using TShiftState = unsigned;

using TNotifyEvent = std::function<void(QObject* Sender)>;
// A key pressed on a control, Key being Qt's key code. A handler that acts on
// the key sets Key to 0; the control then does nothing more with it.
using TKeyEvent = std::function<void(QObject* Sender, int& Key, TShiftState Shift)>;
using TMouseEvent =
    std::function<void(QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;

// Shift, Ctrl and Alt of a key or mouse event.
TShiftState ShiftStateOf(Qt::KeyboardModifiers Modifiers);

// Runs Handler, if set, on a key pressed on Control; true when it took the
// key. A key that an editor inside Control left (an item's name being
// edited) is not offered: it belongs to the editing.
bool RunKeyDown(const TKeyEvent& Handler, QObject* Sender, const QWidget* Control,
                const QKeyEvent* Event);

// Posted to the top-level window whenever a picture control changes what it
// shows, moves, or is shown or hidden, so that the window can recompute
// which of its pixels carry the see-through key colour.
QEvent::Type PictureChangedEvent();

// A copy of Image whose pixels of the bottom-left pixel's colour are left out
// when drawn.
QPixmap MakeTransparentBitmap(const QImage& Image);

class TImage : public QWidget {
public:
    explicit TImage(QWidget* Owner);

    // The picture shown now. SetPicture shows a copy of the value.
    const QPixmap& Picture() const { return picture_; }
    void SetPicture(const QPixmap& Value);

    // Centred instead of at the top-left corner; a larger picture then shows
    // its middle part.
    bool Center() const { return center_; }
    void SetCenter(bool Value);

    // Where the picture's top-left corner lies in the control.
    QPoint PictureOrigin() const;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;

    // The message handlers. A derived control overriding one calls the
    // inherited handler where its own order asks for it.
    virtual void WMLButtonDown(TWMMouse& Msg);
    virtual void WMLButtonUp(TWMMouse& Msg);
    virtual void WMLButtonDblClk(TWMMouse& Msg);
    virtual void CMMouseEnter(TWMMouse& Msg);
    virtual void CMMouseLeave(TWMMouse& Msg);

protected:
    void Click();
    void DblClick();

    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void enterEvent(QEnterEvent* Event) override;
    void leaveEvent(QEvent* Event) override;
    void showEvent(QShowEvent* Event) override;
    void hideEvent(QHideEvent* Event) override;
    void moveEvent(QMoveEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;

private:
    void SetPointerOver(bool Over);
    void OtherButton(std::uint32_t Msg, TMouseButton Button, TShiftState Extra, QMouseEvent* Event);
    void NotifyPictureChanged();

    QPixmap picture_;
    bool center_ = false;
    // Set by a left press, cleared by the release: only a release that
    // follows a press on this control can be a click.
    bool clicked_ = false;
    // Whether this control has been told that the pointer is over it.
    bool pointerOver_ = false;
};

} // namespace vorpane
