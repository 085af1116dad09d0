#include "cListView.h"

#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyledItemDelegate>

#include <algorithm>

namespace vorpane {

namespace {

constexpr int kImageIndexRole = Qt::UserRole;

// Draws the rows as selected only while the list has the focus, when it
// hides its selection otherwise.
class TSelectionDelegate : public QStyledItemDelegate {
public:
    explicit TSelectionDelegate(TListView* Owner) : QStyledItemDelegate(Owner), owner_(Owner) {}

protected:
    void initStyleOption(QStyleOptionViewItem* Option, const QModelIndex& Index) const override {
        QStyledItemDelegate::initStyleOption(Option, Index);
        if (owner_->HideSelection && !owner_->hasFocus()) {
            Option->state &= ~QStyle::State_Selected;
        }
    }

private:
    TListView* owner_;
};

// Takes a drag or a drop of files from outside, always as a copy, and
// answers their local paths; answers none, and leaves the event alone, for
// any other drag, and for one that can only be a move.
QStringList TakeFiles(QDropEvent* Event, const std::function<QString(const QUrl&)>& LocalPath) {
    QStringList files;
    if (!(Event->possibleActions() & Qt::CopyAction) || !Event->mimeData()->hasUrls()) {
        return files;
    }
    for (const QUrl& url : Event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            files << (LocalPath ? LocalPath(url) : url.toLocalFile());
        }
    }
    if (!files.isEmpty()) {
        Event->setDropAction(Qt::CopyAction);
        Event->accept();
    }
    return files;
}

} // namespace

TListView::TListView(QWidget* Owner) : QTreeWidget(Owner) {
    setItemDelegate(new TSelectionDelegate(this));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setIconSize({16, 16});
    viewport()->setAcceptDrops(true);
    header()->setSectionsClickable(true);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    connect(header(), &QHeaderView::sectionClicked, this, [this](int Column) {
        if (OnColumnClick) {
            OnColumnClick(this, Column);
        }
    });
}

QTreeWidgetItem* TListView::AddItem(const QString& Caption) {
    auto* item = new QTreeWidgetItem(this);
    item->setText(0, Caption);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    SetImageIndex(item, 0);
    return item;
}

int TListView::ImageIndex(const QTreeWidgetItem* Item) {
    return Item->data(0, kImageIndexRole).toInt();
}

void TListView::SetImageIndex(QTreeWidgetItem* Item, int Index) {
    Item->setData(0, kImageIndexRole, Index);
    ShowImage(Item);
}

void TListView::ShowImage(QTreeWidgetItem* Item) {
    const int index = ImageIndex(Item);
    const bool exists = index >= 0 && index < ImageCount();
    Item->setIcon(0, exists ? images_[static_cast<std::size_t>(index)] : QIcon());
}

int TListView::AddImage(const QIcon& Image) {
    images_.push_back(Image);
    // Until now no item could show an image; those at index 0 show this one.
    if (images_.size() == 1) {
        for (int row = 0; row < topLevelItemCount(); ++row) {
            ShowImage(topLevelItem(row));
        }
    }
    return ImageCount() - 1;
}

void TListView::CustomSort(const std::function<int(QTreeWidgetItem*, QTreeWidgetItem*)>& Compare) {
    QTreeWidgetItem* current = currentItem();
    const QList<QTreeWidgetItem*> selected = selectedItems();
    std::vector<QTreeWidgetItem*> items;
    while (topLevelItemCount() > 0) {
        items.push_back(takeTopLevelItem(0));
    }
    std::stable_sort(items.begin(), items.end(),
                     [&](QTreeWidgetItem* A, QTreeWidgetItem* B) { return Compare(A, B) < 0; });
    for (QTreeWidgetItem* item : items) {
        addTopLevelItem(item);
    }
    if (current != nullptr) {
        setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
    }
    for (QTreeWidgetItem* item : selected) {
        item->setSelected(true);
    }
}

bool TListView::edit(const QModelIndex& Index, EditTrigger Trigger, QEvent* Event) {
    // The sub-items are not edited in place; the caption is.
    if (Index.column() != 0) {
        return false;
    }
    return QTreeWidget::edit(Index, Trigger, Event);
}

void TListView::mousePressEvent(QMouseEvent* Event) {
    clickStarted_ = Event->button() == Qt::LeftButton;
    QTreeWidget::mousePressEvent(Event);
}

void TListView::mouseReleaseEvent(QMouseEvent* Event) {
    QTreeWidget::mouseReleaseEvent(Event);
    if (Event->button() == Qt::LeftButton && clickStarted_) {
        clickStarted_ = false;
        if (OnClick) {
            OnClick(this);
        }
    }
}

void TListView::mouseDoubleClickEvent(QMouseEvent* Event) {
    clickStarted_ = false;
    QTreeWidget::mouseDoubleClickEvent(Event);
    clickStarted_ = false;
}

void TListView::focusInEvent(QFocusEvent* Event) {
    QTreeWidget::focusInEvent(Event);
    viewport()->update();
}

void TListView::focusOutEvent(QFocusEvent* Event) {
    QTreeWidget::focusOutEvent(Event);
    viewport()->update();
}

void TListView::keyPressEvent(QKeyEvent* Event) {
    if (RunKeyDown(OnKeyDown, this, this, Event)) {
        Event->accept();
        return;
    }
    const QTreeWidgetItem* before = currentItem();
    QTreeWidget::keyPressEvent(Event);
    if (currentItem() != before && currentItem() != nullptr && OnCurrentKeyed) {
        OnCurrentKeyed(this);
    }
}

void TListView::dragEnterEvent(QDragEnterEvent* Event) {
    if (!OnDropFiles || TakeFiles(Event, LocalPath).isEmpty()) {
        QTreeWidget::dragEnterEvent(Event);
    }
}

void TListView::dragMoveEvent(QDragMoveEvent* Event) {
    if (!OnDropFiles || TakeFiles(Event, LocalPath).isEmpty()) {
        QTreeWidget::dragMoveEvent(Event);
    }
}

void TListView::dropEvent(QDropEvent* Event) {
    const QStringList files = OnDropFiles ? TakeFiles(Event, LocalPath) : QStringList();
    if (files.isEmpty()) {
        QTreeWidget::dropEvent(Event);
        return;
    }
    OnDropFiles(this, files);
}

} // namespace vorpane
