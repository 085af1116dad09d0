#include "cShellListView.h"

#include <QAbstractItemModel>
#include <QFrame>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QListView>
#include <QStackedLayout>
#include <QTreeView>

namespace vorpane {

namespace {
constexpr int kSmallIcon = 16;
constexpr int kLargeIcon = 32;
} // namespace

TShellListView::TShellListView(QWidget* Owner)
    : QWidget(Owner), stack_(new QStackedLayout(this)), iconView_(new QListView(this)),
      reportView_(new QTreeView(this)) {
    stack_->setContentsMargins(0, 0, 0, 0);
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(iconView_),
                                    static_cast<QAbstractItemView*>(reportView_)}) {
        view->setFrameShape(QFrame::NoFrame);
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setDragEnabled(true);
        stack_->addWidget(view);
    }
    iconView_->setUniformItemSizes(true);
    iconView_->setResizeMode(QListView::Adjust);
    reportView_->setRootIsDecorated(false);
    reportView_->setItemsExpandable(false);
    reportView_->setAllColumnsShowFocus(true);
    reportView_->header()->setStretchLastSection(false);
    SetViewStyle(vsList);
}

void TShellListView::SetViewStyle(TViewStyle Value) {
    viewStyle_ = Value;
    switch (Value) {
    case vsIcon:
        iconView_->setViewMode(QListView::IconMode);
        iconView_->setFlow(QListView::LeftToRight);
        iconView_->setIconSize({kLargeIcon, kLargeIcon});
        iconView_->setGridSize({76, 64});
        iconView_->setWordWrap(true);
        break;
    case vsSmallIcon:
        iconView_->setViewMode(QListView::ListMode);
        iconView_->setFlow(QListView::LeftToRight);
        iconView_->setIconSize({kSmallIcon, kSmallIcon});
        iconView_->setGridSize({});
        iconView_->setWordWrap(false);
        iconView_->setWrapping(true);
        break;
    case vsList:
        iconView_->setViewMode(QListView::ListMode);
        iconView_->setFlow(QListView::TopToBottom);
        iconView_->setIconSize({kSmallIcon, kSmallIcon});
        iconView_->setGridSize({});
        iconView_->setWordWrap(false);
        iconView_->setWrapping(true);
        break;
    case vsReport:
        reportView_->setIconSize({kSmallIcon, kSmallIcon});
        break;
    }
    // Icon mode lets items be moved about; the file list keeps its order.
    iconView_->setMovement(QListView::Static);
    stack_->setCurrentWidget(CurrentView());
}

void TShellListView::SetModel(QAbstractItemModel* Model) {
    iconView_->setModel(Model);
    reportView_->setModel(Model);
    // Setting a model gave the details view a selection model of its own;
    // it gives way to the shared one.
    QItemSelectionModel* own = reportView_->selectionModel();
    reportView_->setSelectionModel(iconView_->selectionModel());
    delete own;
}

void TShellListView::SetRootIndex(const QModelIndex& Index) {
    iconView_->setRootIndex(Index);
    reportView_->setRootIndex(Index);
}

QItemSelectionModel* TShellListView::SelectionModel() const {
    return iconView_->selectionModel();
}

QAbstractItemView* TShellListView::CurrentView() const {
    if (viewStyle_ == vsReport) {
        return reportView_;
    }
    return iconView_;
}

} // namespace vorpane
