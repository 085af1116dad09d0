// TListView: a list in report style, one row per item under column headers.
// An item is a caption (the first column), sub-items (the next columns) and
// an image index into the list's own small images. The images only grow: an
// item shows the image its index names once that image exists, so items
// added with index 0 before any image show none until the first one comes.
//
// Only the caption can be edited in place. With HideSelection the selection
// is drawn only while the list has the keyboard focus. A click (press and
// release of the left button) anywhere in the list fires OnClick; a click on
// a column header fires OnColumnClick. A key pressed on the list goes to
// OnKeyDown first; a key that makes another item current then fires
// OnCurrentKeyed.
//
// Files dropped from outside, as a file manager drags them (text/uri-list),
// go to OnDropFiles; nothing else is taken. Such a drop is always a copy, so
// the source never moves or deletes anything, and one that can only be a
// move is refused.
#pragma once

#include "cImage.h"

#include <QIcon>
#include <QTreeWidget>
#include <QUrl>

#include <functional>
#include <vector>

namespace vorpane {

class TListView : public QTreeWidget {
public:
    explicit TListView(QWidget* Owner);

    // Appends an item with the given caption at the bottom.
    QTreeWidgetItem* AddItem(const QString& Caption);
    static int ImageIndex(const QTreeWidgetItem* Item);
    void SetImageIndex(QTreeWidgetItem* Item, int Index);

    // The small images; AddImage answers the new image's index.
    int AddImage(const QIcon& Image);
    int ImageCount() const { return static_cast<int>(images_.size()); }

    // Puts the items in order, Compare giving a negative number when its
    // first item belongs before its second. Items that compare equal keep
    // their order.
    void CustomSort(const std::function<int(QTreeWidgetItem*, QTreeWidgetItem*)>& Compare);

    bool HideSelection = true;

    using QTreeWidget::edit;

    std::function<void(QObject* Sender)> OnClick;
    std::function<void(QObject* Sender, int Column)> OnColumnClick;
    TKeyEvent OnKeyDown;
    std::function<void(QObject* Sender)> OnCurrentKeyed;
    // The local files dropped, in the drop's order.
    std::function<void(QObject* Sender, const QStringList& Files)> OnDropFiles;
    // A dropped file's address as its path; without it, Qt's local file
    // path, which keeps only names in UTF-8.
    std::function<QString(const QUrl& Url)> LocalPath;

protected:
    bool edit(const QModelIndex& Index, EditTrigger Trigger, QEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void dragEnterEvent(QDragEnterEvent* Event) override;
    void dragMoveEvent(QDragMoveEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;

private:
    void ShowImage(QTreeWidgetItem* Item);

    std::vector<QIcon> images_;
    bool clickStarted_ = false;
};

} // namespace vorpane
