#include "cShellTreeView.h"

#include "cFolderTreeModel.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QMenu>
#include <QUrl>

namespace vorpane {

TShellTreeView::TShellTreeView(QWidget* Owner) : QTreeView(Owner) {
    setFrameShape(QFrame::NoFrame);
    setHeaderHidden(true);
    setIndentation(19);
    setRootIsDecorated(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& At) { ContextPopup(At); });
    folders_ = new TFolderTreeModel(this);
    setModel(folders_);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& Current) {
                if (Current.isValid() && OnChange) {
                    OnChange(this, folders_->FilePath(Current));
                }
            });
    // The chosen folder renamed (F2 or a second click) is read again by its
    // new path.
    connect(folders_, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex& Renamed) {
        if (Renamed == currentIndex() && OnChange) {
            OnChange(this, Path());
        }
    });
}

void TShellTreeView::SetPath(const QString& Folder) {
    // The folders down to it are read before it is chosen.
    const QModelIndex index = folders_->Find(Folder);
    setCurrentIndex(index);
    revealing_ = index;
    Reveal();
}

void TShellTreeView::Reveal() {
    if (!revealing_.isValid()) {
        return;
    }
    // The first scroll opens the folders above; only once the view has
    // laid them out can the second one reach the folder.
    scrollTo(revealing_, QAbstractItemView::PositionAtCenter);
    executeDelayedItemsLayout();
    scrollTo(revealing_, QAbstractItemView::PositionAtCenter);
}

void TShellTreeView::showEvent(QShowEvent* Event) {
    QTreeView::showEvent(Event);
    // Scrolling before the view had its size put the folder nowhere.
    Reveal();
}

bool TShellTreeView::viewportEvent(QEvent* Event) {
    if (Event->type() == QEvent::MouseButtonPress || Event->type() == QEvent::Wheel) {
        revealing_ = QPersistentModelIndex();
    }
    return QTreeView::viewportEvent(Event);
}

void TShellTreeView::keyPressEvent(QKeyEvent* Event) {
    revealing_ = QPersistentModelIndex();
    QTreeView::keyPressEvent(Event);
}

QString TShellTreeView::Path() const {
    return folders_->FilePath(currentIndex());
}

void TShellTreeView::Refresh() {
    const QString folder = Path();
    folders_->Forget();
    if (!folder.isEmpty()) {
        SetPath(folder);
    }
}

QMenu* TShellTreeView::CreateContextMenu(const QString& Folder) {
    auto* menu = new QMenu(this);
    menu->addAction(tr("Open in file manager"), this,
                    [Folder] { QDesktopServices::openUrl(QUrl::fromLocalFile(Folder)); });
    menu->addAction(tr("Refresh"), this, [this] { Refresh(); });
    return menu;
}

void TShellTreeView::ContextPopup(const QPoint& At) {
    const QModelIndex index = indexAt(At);
    if (!index.isValid()) {
        return;
    }
    setCurrentIndex(index);
    QMenu* menu = CreateContextMenu(folders_->FilePath(index));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(viewport()->mapToGlobal(At));
}

} // namespace vorpane
