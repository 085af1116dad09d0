#include "cShellTreeView.h"

#include <QDesktopServices>
#include <QFileSystemModel>
#include <QHeaderView>
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
    folders_->setReadOnly(false);
    folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    folders_->setRootPath(QStringLiteral("/"));
    // The model keeps its folders in natural order, letter case ignored.
    setModel(folders_);
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
    menu->addAction(QStringLiteral("Open in file manager"), this,
                    [Folder] { QDesktopServices::openUrl(QUrl::fromLocalFile(Folder)); });
    menu->addAction(QStringLiteral("Refresh"), this, [this] { Refresh(); });
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
