// TShellTreeView: the folder tree of the folder browser. The whole file
// system, folders only and no hidden ones, read as the user opens folders
// (in the background: a folder's sub-folders show when its read returns) and
// not watched afterwards. A press of any button makes the folder under the
// pointer the chosen one; a right click then offers a small menu for it. A
// second click on the chosen folder's name, or F2, renames it. Folders are
// read by their bytes (TFolderTreeModel), so every name shows, Latin-1 ones
// too.
#pragma once

#include <QCoreApplication>
#include <QPersistentModelIndex>
#include <QString>
#include <QTreeView>

#include <functional>

class QMenu;

namespace vorpane {

class TFolderTreeModel;

class TShellTreeView : public QTreeView {
    Q_DECLARE_TR_FUNCTIONS(vorpane::TShellTreeView)

public:
    explicit TShellTreeView(QWidget* Owner);

    // Chooses Folder and opens the folders down to it.
    void SetPath(const QString& Folder);
    // The chosen folder; empty when none is chosen.
    QString Path() const;

    // Forgets what was read and reads the chosen folder's way again.
    void Refresh();

    // Fires when another folder is chosen, with its path.
    std::function<void(QObject* Sender, const QString& Folder)> OnChange;

    // The menu of a right click on Folder: open it in the file manager,
    // read it again.
    QMenu* CreateContextMenu(const QString& Folder);

protected:
    void showEvent(QShowEvent* Event) override;
    bool viewportEvent(QEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;

private:
    void Reveal();
    void ContextPopup(const QPoint& At);

    TFolderTreeModel* folders_;
    // The folder SetPath chose, scrolled to until the user takes over.
    QPersistentModelIndex revealing_;
};

} // namespace vorpane
