// TShellListView: the file list of the folder browser. It reads one folder
// (SetRoot) into a TFolderModel, once, without watching it afterwards: the
// folder's files, whatever bytes their names are in, no hidden ones and no
// sub-folders, those its AddFolder event admits, in a file manager's order
// (TShellListFilter). The reading goes on in the model's own thread, under
// the wait cursor; the items show as they come. Paths are handed out as
// DecodePathName spells them.
// The items are shown in one of four view styles: large icons (each
// photograph's thumbnail, see TThumbnailDelegate), small icons, list (columns
// of names, filled top to bottom) and details (one row per item with name,
// size, type and date). The icon styles and the list share a QListView;
// details is a QTreeView. Both share one selection, so switching styles keeps
// what is selected.
//
// A click (press and release of the left button) anywhere in the list fires
// OnClick, a double click OnDblClick; a click on an empty part keeps the
// selection. Dragging selected items starts a drag that nothing accepts; when
// it ends, dropped or cancelled, OnEndDrag fires. A key pressed on the list
// goes to OnKeyDown first; a key that makes another item current then fires
// OnCurrentKeyed.
#pragma once

#include "cImage.h"
#include "cShellListFilter.h"
#include "cThumbnailDelegate.h"

#include <QString>
#include <QWidget>

#include <functional>

class QAbstractItemModel;
class QAbstractItemView;
class QItemSelectionModel;
class QListView;
class QModelIndex;
class QStackedLayout;
class QTreeView;

namespace vorpane {

class TFolderModel;

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

using TEndDragEvent = std::function<void(QObject* Sender, QObject* Target, int X, int Y)>;

class TShellListView : public QWidget {
public:
    explicit TShellListView(QWidget* Owner);
    ~TShellListView() override;

    TViewStyle ViewStyle() const { return viewStyle_; }
    void SetViewStyle(TViewStyle Value);

    // Starts reading Folder. A path that is no folder leaves the list empty.
    void SetRoot(const QString& Folder);
    const QString& Root() const { return root_; }
    // Whether the folder is still being read.
    bool Reading() const { return reading_; }

    // The items in display order.
    int ItemCount() const;
    // The item's full path, as the file system spells it (see DecodePathName).
    QString ItemPath(int Index) const;
    bool ItemSelected(int Index) const;
    // The current item's full path (the keyboard's place); empty for none.
    QString CurrentPath() const;
    void SetItemSelected(int Index, bool Selected);

    void SetModel(QAbstractItemModel* Model);
    QItemSelectionModel* SelectionModel() const;

    // The view that shows the items in the current style.
    QAbstractItemView* CurrentView() const;
    QListView* IconView() const { return iconView_; }
    // The large-icon style's thumbnails; without its MakeThumbnail, that
    // style shows file-type icons.
    TThumbnailDelegate* Thumbnails() const { return thumbnails_; }
    QTreeView* ReportView() const { return reportView_; }

    TAddFolderEvent OnAddFolder;
    // The date taken the Details view shows in place of the file's time.
    TDateTakenFunc DateTaken;
    std::function<void(QObject* Sender)> OnClick;
    std::function<void(QObject* Sender)> OnDblClick;
    TEndDragEvent OnEndDrag;
    TKeyEvent OnKeyDown;
    std::function<void(QObject* Sender)> OnCurrentKeyed;

    // Runs a drag of the selected items to its end; the views call it.
    void DragSelection(QWidget* Source);

private:
    QModelIndex ItemIndex(int Index) const;
    void SetReading(bool Value);

    QStackedLayout* stack_;
    QListView* iconView_;
    QTreeView* reportView_;
    TThumbnailDelegate* thumbnails_;
    TViewStyle viewStyle_ = vsList;
    QString root_;
    TFolderModel* files_ = nullptr;
    TShellListFilter* filter_ = nullptr;
    bool reading_ = false;
};

} // namespace vorpane
