#include "cFocusMark.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QPainter>

namespace vorpane {

namespace {

const QColor kMarkBlue(0x2F, 0x80, 0xED);
const QColor kMarkLining(0xFF, 0xFF, 0xFF);
constexpr int kMarkWidth = 2;

} // namespace

void DrawFocusMark(QPainter& Painter, const QRect& Outer) {
    Painter.save();
    Painter.setBrush(Qt::NoBrush);
    // A pen of width w strokes a rectangle w / 2 to either side of its line.
    Painter.setPen(QPen(kMarkBlue, kMarkWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    Painter.drawRect(QRectF(Outer).adjusted(1, 1, -1, -1));
    Painter.setPen(QPen(kMarkLining, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    Painter.drawRect(QRectF(Outer).adjusted(2.5, 2.5, -2.5, -2.5));
    Painter.restore();
}

TFocusMark::TFocusMark(QWidget* Window) : QWidget(Window), window_(Window) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    hide();
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* Now) { Follow(Now); });
}

void TFocusMark::Follow(QWidget* Focus) {
    QWidget* control = Focus;
    // An editable box's text field has the focus for the box.
    if (control != nullptr && qobject_cast<QComboBox*>(control->parentWidget()) != nullptr) {
        control = control->parentWidget();
    }
    if (control == nullptr || !window_->isAncestorOf(control) || (DrawsOwn && DrawsOwn(control))) {
        target_ = nullptr;
        hide();
        return;
    }
    target_ = control;
    QRect around(control->mapTo(window_, QPoint(0, 0)), control->size());
    // A list's header may lie under a strip of the skin (the conversion
    // list's does): the frame goes round its items and scroll bars.
    if (const auto* area = qobject_cast<const QAbstractScrollArea*>(control)) {
        around.setTop(around.top() + area->viewport()->y());
    }
    setGeometry(around.adjusted(-kMarkWidth, -kMarkWidth, kMarkWidth, kMarkWidth)
                    .intersected(window_->rect()));
    raise();
    show();
    update();
}

void TFocusMark::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    DrawFocusMark(painter, rect());
}

} // namespace vorpane
