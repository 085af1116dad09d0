// TPageOptionsDialog: the page and photo options of the conversions to come,
// opened by the button beside "Upright (EXIF)": the paper with its margin,
// or the resolution of pages as large as their pictures; whether photos that
// can't be converted are left out; colour profiles kept; black-and-white
// JPEGs embedded as they are; whether the file list shows the other kinds
// of pictures. A plain dialog in the desktop's own look.
// Its choices last until the program ends; none is saved, and each is off
// (or the fixed layout's) at start.
#pragma once

#include "rundata/RunOptions.h"

#include <QCoreApplication>
#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QDoubleSpinBox;
class QSpinBox;

namespace vorpane {

struct TPageOptions {
    // 0: "Picture size", pages as large as their pictures; n: the paper
    // kPaperSizes[n - 1].
    int Paper = 0;
    double Margin = 0; // millimetres on every side of the paper
    int Dpi = 72;      // the pictures' pixels per inch, with "Picture size"
    bool SkipBad = false;
    bool ColourProfiles = false;
    bool Grey = false;
    // "At most ... MB": in "Same size", the highest quality, up to the
    // quality field's, at which the document stays within Megabytes
    // (1,000,000 bytes each).
    bool Limit = false;
    double Megabytes = 10;
    // The file list shows HEIC, AVIF, PNG and WebP pictures beside the JPEG
    // files; the window's own choice, no option of a run.
    bool OtherKinds = false;
};

// The options of the next conversion, as last chosen in the dialog.
extern TPageOptions PageOptions;

// Options into a run's options the way vorpane-convert's --paper, --margin,
// --dpi, --skip-bad, --colour-profile, --grey and --max-size give them, so that one
// choice makes the same document from either. Without the skip, the window's
// own way with a file that gives no page (ppLeaveOut) stays.
void ApplyPageOptions(const TPageOptions& Options, TRunOptions& Run);

// The narrowest window whose Title shows whole in the title bar Qt draws
// itself under Wayland; on X11 the window manager's frame does the drawing.
int WidthForTitle(const QString& Title);

class TPageOptionsDialog : public QDialog {
    Q_DECLARE_TR_FUNCTIONS(vorpane::TPageOptionsDialog)

public:
    TPageOptionsDialog(const TPageOptions& Options, QWidget* Owner);

    TPageOptions Options() const;

    QComboBox* Paper;
    QDoubleSpinBox* Margin;
    QSpinBox* Dpi;
    QCheckBox* SkipBad;
    QCheckBox* ColourProfiles;
    QCheckBox* Grey;
    QCheckBox* Limit;
    QDoubleSpinBox* Megabytes;
    QCheckBox* OtherKinds;
    QDialogButtonBox* Buttons;

private:
    // A margin needs paper, a resolution its absence; the margin must leave
    // room on the paper's shorter side.
    void PaperChanged();
};

} // namespace vorpane
