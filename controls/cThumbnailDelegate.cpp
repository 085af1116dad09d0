#include "cThumbnailDelegate.h"

#include "cFolderModel.h"

#include <QAbstractItemView>
#include <QThread>

#include <algorithm>

namespace vorpane {

namespace {

QString PathOf(const QModelIndex& Index) {
    return Index.data(TFolderModel::PathRole).toString();
}

} // namespace

TThumbnailDelegate::TThumbnailDelegate(QAbstractItemView* View)
    : QStyledItemDelegate(View), view_(View),
      work_(new TBackgroundWork(std::clamp(QThread::idealThreadCount(), 1, 4), this)) {}

void TThumbnailDelegate::SetEnabled(bool Value) {
    enabled_ = Value;
    if (!enabled_) {
        work_->Cancel();
        asked_.clear();
    }
}

void TThumbnailDelegate::Clear() {
    work_->Cancel();
    asked_.clear();
    thumbnails_.clear();
}

void TThumbnailDelegate::SetUpright(bool Value) {
    if (Value == upright_) {
        return;
    }
    upright_ = Value;
    Clear();
    view_->viewport()->update();
}

void TThumbnailDelegate::paint(QPainter* Painter, const QStyleOptionViewItem& Option,
                               const QModelIndex& Index) const {
    if (enabled_ && MakeThumbnail != nullptr) {
        const QString path = PathOf(Index);
        if (!path.isEmpty() && !thumbnails_.contains(path) && !asked_.contains(path)) {
            Ask(path);
        }
    }
    QStyledItemDelegate::paint(Painter, Option, Index);
}

void TThumbnailDelegate::initStyleOption(QStyleOptionViewItem* Option,
                                         const QModelIndex& Index) const {
    QStyledItemDelegate::initStyleOption(Option, Index);
    if (enabled_) {
        const QIcon thumbnail = thumbnails_.value(PathOf(Index));
        if (!thumbnail.isNull()) {
            Option->icon = thumbnail;
        }
    }
}

void TThumbnailDelegate::Ask(const QString& Path) const {
    asked_.insert(Path);
    const TThumbnailProc make = MakeThumbnail;
    const bool upright = upright_;
    // Made for the screen the list is on, sharp at any scale.
    const double ratio = view_->devicePixelRatioF();
    // What came into sight last is what the user looks at now.
    work_->Run<QImage>([make, Path, upright, ratio] { return make(Path, kSize, upright, ratio); },
                       [this, Path](QImage& Thumbnail) {
                           asked_.remove(Path);
                           QPixmap picture = QPixmap::fromImage(Thumbnail);
                           picture.setDevicePixelRatio(Thumbnail.devicePixelRatio());
                           thumbnails_.insert(Path, Thumbnail.isNull() ? QIcon() : QIcon(picture));
                           view_->viewport()->update();
                       },
                       ++priority_);
}

} // namespace vorpane
