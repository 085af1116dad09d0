// TForm1: the options panel: the size mode and the spin buttons of the
// width, height and quality fields.
#include "Unit1.h"

#include "PageOptionsDialog.h"
#include "WholeNumber.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHash>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <QWheelEvent>

#include <cstdlib>

namespace vorpane {

// The size mode follows the entry chosen in the box; typed text that names
// no entry changes nothing.
void TForm1::ComboBox2Change(QObject*) {
    switch (ComboBox2->findText(ComboBox2->currentText(), Qt::MatchExactly)) {
    case 0:
        Edit1->setText(QStringLiteral("800"));
        Edit2->setText(QStringLiteral("600"));
        SameSizeMode = true;
        break;
    case 1:
        Edit1->setText(QStringLiteral("0"));
        Edit2->setText(QStringLiteral("0"));
        SameSizeMode = false;
        break;
    default:
        break;
    }
}

// Turning photographs upright is off until asked for: a document made
// without it stays as it always was. The thumbnails and the preview show
// photographs as the document will.
void TForm1::CheckBox1Click(QObject*) {
    AutoOrientMode = CheckBox1->isChecked();
    ShellListView1->Thumbnails()->SetUpright(AutoOrientMode);
    if (!previewPath_.isEmpty()) {
        ShowPreview(previewPath_);
    }
}

// The choices stay as they were when the dialog is cancelled.
void TForm1::ImgBtnOptionsClick(QObject*) {
    TPageOptionsDialog dialog(PageOptions, this);
    if (dialog.exec() == QDialog::Accepted) {
        const bool listed = PageOptions.OtherKinds;
        PageOptions = dialog.Options();
        // The file list is read again with its new filter.
        if (PageOptions.OtherKinds != listed && !ShellListView1->Root().isEmpty()) {
            ShellListView1->SetRoot(ShellListView1->Root());
        }
    }
}

void TForm1::ImgBtnDropDownClick(QObject*) {
    try {
        ComboBox2->showPopup();
    } catch (...) {
        // Opening the list is a convenience; nothing to tell the user.
    }
}

void TForm1::StartSpin(int Action) {
    SpinAction = Action;
    Timer1->start();
}

void TForm1::ImgBtnWidth1MouseDown(TWMMouse&) {
    StartSpin(1);
}
void TForm1::ImgBtnWidth2MouseDown(TWMMouse&) {
    StartSpin(2);
}
void TForm1::ImgBtnHeight1MouseDown(TWMMouse&) {
    StartSpin(3);
}
void TForm1::ImgBtnHeight2MouseDown(TWMMouse&) {
    StartSpin(4);
}
void TForm1::ImgBtnQ1MouseDown(TWMMouse&) {
    StartSpin(5);
}
void TForm1::ImgBtnQ2MouseDown(TWMMouse&) {
    StartSpin(6);
}

// Every spin button's release ends the repeat.
void TForm1::ImgBtnWidth1MouseUp(TWMMouse&) {
    SpinAction = 0;
    Timer1->stop();
}

void TForm1::Timer1Timer() {
    if (SpinAction < 1 || SpinAction > 6) {
        return;
    }
    try {
        StepSpin(SpinAction);
    } catch (...) {
        // One box for a held button, not one at every tick.
        TWMMouse release;
        ImgBtnWidth1MouseUp(release);
        throw;
    }
}

void TForm1::StepSpin(int Action) {
    // Per spin action 1 to 6: the field, the step, and the values from which
    // a step is taken (width and height stay within 0 to 9000, the quality
    // within 1 to 100).
    struct TSpin {
        QLineEdit* TForm1::*Field;
        int Step;
        bool (*Allowed)(std::int32_t);
    };
    static const TSpin spins[] = {
        {&TForm1::Edit1, +1, [](std::int32_t v) { return v < 9000; }},
        {&TForm1::Edit1, -1, [](std::int32_t v) { return v > 0; }},
        {&TForm1::Edit2, +1, [](std::int32_t v) { return v < 9000; }},
        {&TForm1::Edit2, -1, [](std::int32_t v) { return v > 0; }},
        {&TForm1::Edit3, +1, [](std::int32_t v) { return v < 100; }},
        {&TForm1::Edit3, -1, [](std::int32_t v) { return v >= 2; }},
    };
    const TSpin& spin = spins[Action - 1];
    QLineEdit* field = this->*spin.Field;
    const std::int32_t value = StrToInt(field->text().toStdString());
    if (spin.Allowed(value)) {
        field->setText(QString::number(value + spin.Step));
    }
}

// Up and Down, Page Up and Page Down and the mouse wheel step a field as its
// spin buttons do: one step, ten steps, one step a notch. A field that is no
// whole number fails with the spin buttons' error.
bool TForm1::eventFilter(QObject* Watched, QEvent* Event) {
    if (ViewTabKey(Watched, Event)) {
        return true;
    }
    const struct {
        QLineEdit* Field;
        int Up;
        int Down;
    } fields[] = {{Edit1, 1, 2}, {Edit2, 3, 4}, {Edit3, 5, 6}};
    for (const auto& field : fields) {
        if (Watched != field.Field) {
            continue;
        }
        int steps = 0;
        if (Event->type() == QEvent::KeyPress) {
            static const QHash<int, int> keySteps = {
                {Qt::Key_Up, 1}, {Qt::Key_Down, -1}, {Qt::Key_PageUp, 10}, {Qt::Key_PageDown, -10}};
            steps = keySteps.value(static_cast<QKeyEvent*>(Event)->key());
            if (steps == 0) {
                return false;
            }
        } else if (Event->type() == QEvent::Wheel) {
            // A fine-grained wheel turns in parts of a notch.
            wheelAngle_ += static_cast<QWheelEvent*>(Event)->angleDelta().y();
            steps = wheelAngle_ / 120;
            wheelAngle_ %= 120;
        } else {
            return false;
        }
        for (int i = 0; i < std::abs(steps); ++i) {
            StepSpin(steps > 0 ? field.Up : field.Down);
        }
        return true;
    }
    return QWidget::eventFilter(Watched, Event);
}

} // namespace vorpane
