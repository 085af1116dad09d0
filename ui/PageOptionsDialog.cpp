#include "PageOptionsDialog.h"

#include "Application.h"

#include "pdf/PaperSize.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFontMetrics>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace vorpane {

TPageOptions PageOptions;

namespace {

const TPaperSize* PaperOf(int Index) {
    return Index >= 1 && Index <= static_cast<int>(kPaperSizes.size())
               ? &kPaperSizes[static_cast<std::size_t>(Index - 1)]
               : nullptr;
}

// The title bar Qt draws itself under Wayland, where the desktop leaves a
// window's frame to it (GNOME, weston): 3 px of frame on each side; on the
// right three buttons 18 px wide, 5 px apart and 8 px from the frame's edge,
// with 5 px before the title. The title, in the application's font at 14 px,
// is centred over the whole frame and cut where the buttons begin, so it
// needs their room on both sides.
constexpr int kFrameSide = 3;
constexpr int kTitleFontPixels = 14;
constexpr int kButtonsRoom = 3 * 18 + 2 * 5 + 8 + 5;

} // namespace

int WidthForTitle(const QString& Title) {
    // The bar centres the title by its width in the application's font, as
    // first measured, but draws it at 14 px: a title drawn wider than it was
    // measured reaches further right than its centre suggests.
    QFont barFont = QGuiApplication::font();
    barFont.setPixelSize(kTitleFontPixels);
    const int drawn = QFontMetrics(barFont).horizontalAdvance(Title);
    const int measured = QFontMetrics(QGuiApplication::font()).horizontalAdvance(Title);
    // One pixel on each side for the centring's rounding.
    return std::max(drawn, 2 * drawn - measured) + 2 + 2 * kButtonsRoom - 2 * kFrameSide;
}

void ApplyPageOptions(const TPageOptions& Options, TRunOptions& Run) {
    if (const TPaperSize* paper = PaperOf(Options.Paper)) {
        Run.Layout.PaperWidth = paper->Width;
        Run.Layout.PaperHeight = paper->Height;
        Run.Layout.Margin = Options.Margin * kPointsPerMillimetre;
    } else {
        Run.Layout.Dpi = static_cast<std::uint32_t>(Options.Dpi);
    }
    if (Options.SkipBad) {
        Run.Policy = TPagePolicy::ppSkipBad;
    }
    Run.ColourProfiles = Options.ColourProfiles;
    Run.Grey = Options.Grey;
    if (Options.Limit) {
        Run.MaxSize = std::llround(Options.Megabytes * 1e6);
    }
}

TPageOptionsDialog::TPageOptionsDialog(const TPageOptions& Options, QWidget* Owner)
    : QDialog(Owner) {
    setWindowTitle(tr("Page and photo options"));

    Paper = new QComboBox(this);
    Paper->addItem(tr("Picture size"));
    for (const TPaperSize& paper : kPaperSizes) {
        Paper->addItem(
            QString::fromLatin1(paper.Name.data(), static_cast<qsizetype>(paper.Name.size())));
    }
    Paper->setToolTip(tr("Picture size: each page as large as its picture. A paper: "
                         "each picture scaled to fit it, centred, the paper turned "
                         "as the picture is"));
    Margin = new QDoubleSpinBox(this);
    Margin->setDecimals(1);
    Margin->setSuffix(tr(" mm"));
    Margin->setToolTip(tr("The margin on every side of the paper"));
    Dpi = new QSpinBox(this);
    Dpi->setRange(1, kMaxDpi);
    Dpi->setSuffix(tr(" dpi"));
    Dpi->setToolTip(tr("Pages as large as their pictures at this many pixels per inch "
                       "(72: one pixel to one point)"));
    SkipBad = new QCheckBox(tr("Skip photos that can't be converted"), this);
    SkipBad->setToolTip(tr("Leave them out, name them when the conversion ends, and "
                           "convert the rest"));
    ColourProfiles = new QCheckBox(tr("Keep colour profiles"), this);
    ColourProfiles->setToolTip(tr("Pages show each photo's colours as its embedded profile says"));
    Grey = new QCheckBox(tr("Black-and-white JPEGs as they are"), this);
    Grey->setToolTip(tr("\"Original size\" embeds grey JPEGs unchanged instead of refusing them"));
    Limit = new QCheckBox(tr("At m&ost"), this);
    Limit->setToolTip(tr("\"Same size\": the highest quality, up to the Quality field's, at which "
                         "the whole document fits"));
    Megabytes = new QDoubleSpinBox(this);
    Megabytes->setDecimals(2);
    Megabytes->setRange(0.01, 9999);
    Megabytes->setSuffix(tr(" MB"));
    Megabytes->setToolTip(tr("The largest the document may be, in megabytes of 1,000,000 bytes"));
    OtherKinds = new QCheckBox(tr("Also list HEIC, PNG and WebP pictures"), this);
    OtherKinds->setToolTip(
        tr("The file list shows HEIC, AVIF, PNG and WebP pictures beside the JPEG files"));
    Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(tr("&Paper:"), Paper);
    form->addRow(tr("&Margin:"), Margin);
    form->addRow(tr("&Resolution:"), Dpi);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(SkipBad);
    layout->addWidget(ColourProfiles);
    layout->addWidget(Grey);
    auto* limitRow = new QHBoxLayout;
    limitRow->addWidget(Limit);
    limitRow->addWidget(Megabytes);
    limitRow->addStretch();
    layout->addLayout(limitRow);
    layout->addWidget(OtherKinds);
    layout->addWidget(Buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // The title bar cuts a title longer than the dialog is wide.
    const QMargins margins = layout->contentsMargins();
    Buttons->setMinimumWidth(WidthForTitle(windowTitle()) - margins.left() - margins.right());

    Paper->setCurrentIndex(std::clamp(Options.Paper, 0, Paper->count() - 1));
    PaperChanged();
    Margin->setValue(Options.Margin);
    Dpi->setValue(Options.Dpi);
    SkipBad->setChecked(Options.SkipBad);
    ColourProfiles->setChecked(Options.ColourProfiles);
    Grey->setChecked(Options.Grey);
    Limit->setChecked(Options.Limit);
    Megabytes->setValue(Options.Megabytes);
    Megabytes->setEnabled(Options.Limit);
    connect(Limit, &QCheckBox::toggled, Megabytes, &QWidget::setEnabled);
    OtherKinds->setChecked(Options.OtherKinds);
    connect(Paper, &QComboBox::currentIndexChanged, this, Guarded([this] { PaperChanged(); }));
}

void TPageOptionsDialog::PaperChanged() {
    const TPaperSize* paper = PaperOf(Paper->currentIndex());
    Margin->setEnabled(paper != nullptr);
    Dpi->setEnabled(paper == nullptr);
    if (paper != nullptr) {
        // Twice the margin must stay below the shorter side, in tenths of a
        // millimetre as the field shows them.
        const double half = std::min(paper->Width, paper->Height) / kPointsPerMillimetre / 2;
        Margin->setMaximum((std::ceil(half * 10) - 1) / 10);
    }
}

TPageOptions TPageOptionsDialog::Options() const {
    TPageOptions options;
    options.Paper = Paper->currentIndex();
    options.Margin = options.Paper == 0 ? 0 : Margin->value();
    options.Dpi = Dpi->value();
    options.SkipBad = SkipBad->isChecked();
    options.ColourProfiles = ColourProfiles->isChecked();
    options.Grey = Grey->isChecked();
    options.Limit = Limit->isChecked();
    options.Megabytes = Megabytes->value();
    options.OtherKinds = OtherKinds->isChecked();
    return options;
}

} // namespace vorpane
