// TThumbnailDelegate: draws the file list's items, and while it is switched
// on (the large-icon style) shows a thumbnail of each photograph in place of
// its file-type icon. A thumbnail is asked for the first time its item is
// drawn, so only items that come into sight cost anything, the latest first;
// MakeThumbnail makes it on a worker thread, and the item shows its
// file-type icon until it comes. Thumbnails are kept in memory for the
// folder shown, never on disk; Clear forgets them.
#pragma once

#include "cBackgroundWork.h"

#include <QHash>
#include <QIcon>
#include <QSet>
#include <QStyledItemDelegate>

class QAbstractItemView;

namespace vorpane {

// Makes the thumbnail of the file Path, at most Size x Size on screen (with
// up to Ratio device pixels a pixel), turned upright by its EXIF orientation
// when Upright; a null image when there is none. Runs on worker threads.
using TThumbnailProc = QImage (*)(const QString& Path, int Size, bool Upright, double Ratio);

class TThumbnailDelegate : public QStyledItemDelegate {
public:
    static constexpr int kSize = 64;

    explicit TThumbnailDelegate(QAbstractItemView* View);

    TThumbnailProc MakeThumbnail = nullptr;

    bool Enabled() const { return enabled_; }
    // Switched off, it drops the thumbnails still being made and keeps those
    // it has.
    void SetEnabled(bool Value);
    void Clear();
    // Thumbnails turned upright by their EXIF orientation; a change makes
    // them afresh.
    bool Upright() const { return upright_; }
    void SetUpright(bool Value);
    // No thumbnail asked for is still being made.
    bool Idle() const { return work_->Idle(); }

    void paint(QPainter* Painter, const QStyleOptionViewItem& Option,
               const QModelIndex& Index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* Option, const QModelIndex& Index) const override;

private:
    void Ask(const QString& Path) const;

    QAbstractItemView* view_;
    TBackgroundWork* work_;
    bool enabled_ = false;
    bool upright_ = false;
    // By path; a null icon for a file that gave none.
    mutable QHash<QString, QIcon> thumbnails_;
    mutable QSet<QString> asked_;
    mutable int priority_ = 0;
};

} // namespace vorpane
