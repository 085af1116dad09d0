// TShellListView: the file list of the folder browser. One model shown in one
// of four view styles: large icons, small icons, list (columns of names,
// filled top to bottom) and details (one row per item with columns). The
// icon styles and the list share a QListView; details is a QTreeView. Both
// share one selection, so switching styles keeps what is selected.
#pragma once

#include <QWidget>

class QAbstractItemModel;
class QAbstractItemView;
class QItemSelectionModel;
class QListView;
class QModelIndex;
class QStackedLayout;
class QTreeView;

namespace vorpane {

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

class TShellListView : public QWidget {
public:
    explicit TShellListView(QWidget* Owner);

    TViewStyle ViewStyle() const { return viewStyle_; }
    void SetViewStyle(TViewStyle Value);

    void SetModel(QAbstractItemModel* Model);
    void SetRootIndex(const QModelIndex& Index);
    QItemSelectionModel* SelectionModel() const;

    // The view that shows the items in the current style.
    QAbstractItemView* CurrentView() const;
    QListView* IconView() const { return iconView_; }
    QTreeView* ReportView() const { return reportView_; }

private:
    QStackedLayout* stack_;
    QListView* iconView_;
    QTreeView* reportView_;
    TViewStyle viewStyle_ = vsList;
};

} // namespace vorpane
