#include "cShellTreeView.h"

#include "cFileIconProvider.h"

#include <QDesktopServices>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPersistentModelIndex>
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
    SetFileModel();
}

void TShellTreeView::SetFileModel() {
    QFileSystemModel* old = folders_;
    folders_ = new QFileSystemModel(this);
    folders_->setOptions(QFileSystemModel::DontWatchForChanges);
    folders_->setIconProvider(&TFileIconProvider::Instance());
    folders_->setReadOnly(false);
    folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    folders_->setRootPath(QStringLiteral("/"));
    // The model keeps its folders in natural order, letter case ignored.
    setModel(folders_);
    // The folders above the one being revealed come in one by one and are
    // sorted after they came; each time, once the view has taken the change
    // in (it listens first), it scrolls to the folder again, until the user
    // takes over.
    connect(folders_, &QFileSystemModel::directoryLoaded, this, [this] { Reveal(); });
    connect(folders_, &QAbstractItemModel::layoutChanged, this, [this] { Reveal(); });
    // Size, type and date say nothing about a folder here.
    for (int column = 1; column < folders_->columnCount(); ++column) {
        hideColumn(column);
    }
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& Current) {
                if (!Current.isValid() || !OnChange) {
                    return;
                }
                // Only folders are shown; should a file ever be chosen, its
                // folder is meant.
                QString folder = folders_->filePath(Current);
                if (!folders_->isDir(Current)) {
                    folder = folders_->filePath(Current.parent());
                }
                OnChange(this, folder);
            });
    delete old;
}

void TShellTreeView::SetPath(const QString& Folder) {
    // Choosing the folder reads it into the file list, while the tree goes
    // on reading too: only a persistent index survives that.
    const QPersistentModelIndex index = folders_->index(Folder);
    setCurrentIndex(index);
    scrollTo(index);
    revealing_ = folders_->filePath(index);
}

void TShellTreeView::Reveal() {
    if (revealing_.isEmpty()) {
        return;
    }
    // The first scroll opens the folders above; only once the view has
    // laid them out can the second one reach the folder.
    const QModelIndex index = folders_->index(revealing_);
    scrollTo(index, QAbstractItemView::PositionAtCenter);
    executeDelayedItemsLayout();
    scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void TShellTreeView::showEvent(QShowEvent* Event) {
    QTreeView::showEvent(Event);
    // Scrolling before the view had its size put the folder nowhere.
    Reveal();
}

bool TShellTreeView::viewportEvent(QEvent* Event) {
    if (Event->type() == QEvent::MouseButtonPress || Event->type() == QEvent::Wheel) {
        revealing_.clear();
    }
    return QTreeView::viewportEvent(Event);
}

void TShellTreeView::keyPressEvent(QKeyEvent* Event) {
    revealing_.clear();
    QTreeView::keyPressEvent(Event);
}

QString TShellTreeView::Path() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? folders_->filePath(current) : QString();
}

void TShellTreeView::Refresh() {
    const QString folder = Path();
    SetFileModel();
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
    QMenu* menu = CreateContextMenu(folders_->filePath(index));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(viewport()->mapToGlobal(At));
}

} // namespace vorpane
