#include "cShellListView.h"

#include "cFolderModel.h"
#include "cPathBytes.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QDrag>
#include <QFrame>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QListView>
#include <QMimeData>
#include <QMouseEvent>
#include <QStackedLayout>
#include <QTreeView>

#include <memory>
#include <utility>

#include <sys/stat.h>

namespace vorpane {

namespace {

constexpr int kSmallIcon = 16;
constexpr int kLargeIcon = TThumbnailDelegate::kSize;
// Four columns of thumbnails with two lines of name under each.
constexpr QSize kLargeIconGrid(82, 100);
constexpr int kDragIcon = 32;

// What a drag of file-list items carries: nothing any control accepts, so
// the pointer shows that no drop is possible wherever it goes.
const char* const kDragFormat = "application/x-vorpane-file-list";

// One of the two views: tells its owner of clicks, double clicks and drags.
template <class TView> class TShellItemView : public TView {
public:
    explicit TShellItemView(TShellListView* Owner) : TView(Owner), owner_(Owner) {}

protected:
    void mousePressEvent(QMouseEvent* Event) override {
        clickStarted_ = Event->button() == Qt::LeftButton;
        // A press beside the items keeps the selection, so that a click there
        // shows the selected file again.
        emptyPress_ = !this->indexAt(Event->position().toPoint()).isValid();
        if (emptyPress_) {
            this->setFocus(Qt::MouseFocusReason);
            Event->accept();
            return;
        }
        TView::mousePressEvent(Event);
    }

    void mouseReleaseEvent(QMouseEvent* Event) override {
        if (emptyPress_) {
            emptyPress_ = false;
            Event->accept();
        } else {
            TView::mouseReleaseEvent(Event);
        }
        if (Event->button() == Qt::LeftButton && clickStarted_) {
            clickStarted_ = false;
            if (owner_->OnClick) {
                owner_->OnClick(owner_);
            }
        }
    }

    void mouseDoubleClickEvent(QMouseEvent* Event) override {
        // The second release of a double click is no click of its own.
        clickStarted_ = false;
        TView::mouseDoubleClickEvent(Event);
        clickStarted_ = false;
        if (Event->button() == Qt::LeftButton && owner_->OnDblClick) {
            owner_->OnDblClick(owner_);
        }
    }

    void keyPressEvent(QKeyEvent* Event) override {
        if (RunKeyDown(owner_->OnKeyDown, owner_, this, Event)) {
            Event->accept();
            return;
        }
        const QPersistentModelIndex before = this->currentIndex();
        TView::keyPressEvent(Event);
        if (this->currentIndex() != before && this->currentIndex().isValid() &&
            owner_->OnCurrentKeyed) {
            owner_->OnCurrentKeyed(owner_);
        }
    }

    void startDrag(Qt::DropActions) override {
        clickStarted_ = false;
        owner_->DragSelection(this);
    }

private:
    TShellListView* owner_;
    bool clickStarted_ = false;
    bool emptyPress_ = false;
};

} // namespace

TShellListView::TShellListView(QWidget* Owner)
    : QWidget(Owner), stack_(new QStackedLayout(this)),
      iconView_(new TShellItemView<QListView>(this)),
      reportView_(new TShellItemView<QTreeView>(this)),
      thumbnails_(new TThumbnailDelegate(iconView_)) {
    iconView_->setItemDelegate(thumbnails_);
    stack_->setContentsMargins(0, 0, 0, 0);
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(iconView_),
                                    static_cast<QAbstractItemView*>(reportView_)}) {
        view->setFrameShape(QFrame::NoFrame);
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setDragEnabled(true);
        // A double click adds the file to the conversion list; a second
        // click on a selected name, or F2, edits the name.
        view->setEditTriggers(QAbstractItemView::SelectedClicked |
                              QAbstractItemView::EditKeyPressed);
        stack_->addWidget(view);
    }
    iconView_->setResizeMode(QListView::Adjust);
    reportView_->setRootIsDecorated(false);
    reportView_->setItemsExpandable(false);
    reportView_->setAllColumnsShowFocus(true);
    reportView_->header()->setStretchLastSection(false);
    SetViewStyle(vsList);
}

TShellListView::~TShellListView() {
    SetReading(false);
}

void TShellListView::SetViewStyle(TViewStyle Value) {
    viewStyle_ = Value;
    switch (Value) {
    case vsIcon:
        iconView_->setViewMode(QListView::IconMode);
        iconView_->setFlow(QListView::LeftToRight);
        iconView_->setIconSize({kLargeIcon, kLargeIcon});
        iconView_->setGridSize(kLargeIconGrid);
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
    thumbnails_->SetEnabled(Value == vsIcon);
    // Icon mode lets items be moved about; the file list keeps its order.
    // Both the style and the movement switch dragging off: it is on.
    iconView_->setMovement(QListView::Static);
    iconView_->setDragEnabled(true);
    stack_->setCurrentWidget(CurrentView());
}

void TShellListView::SetRoot(const QString& Folder) {
    // A read still under way is given up, and so are its thumbnails.
    SetReading(false);
    thumbnails_->Clear();
    const std::unique_ptr<TShellListFilter> oldFilter(std::exchange(filter_, nullptr));
    const std::unique_ptr<TFolderModel> oldFiles(std::exchange(files_, nullptr));
    root_ = Folder.isEmpty() ? Folder : QDir::cleanPath(Folder);
    struct stat info {};
    if (root_.isEmpty() || ::stat(EncodePathName(root_).constData(), &info) != 0 ||
        !S_ISDIR(info.st_mode)) {
        // Nothing to show.
        SetModel(nullptr);
        return;
    }
    // Every read starts from a fresh model: what the last one knew of the
    // folder would otherwise be shown again instead of what is there now.
    files_ = new TFolderModel(this);
    filter_ = new TShellListFilter(files_, this, this);
    filter_->DateTaken = DateTaken;
    filter_->OnAddFolder = [this](QObject* Sender, const QFileInfo& AFolder, bool& CanAdd) {
        if (OnAddFolder) {
            OnAddFolder(Sender, AFolder, CanAdd);
        }
    };
    // The filter tests and sorts the files as they come, and again when one
    // is renamed: it takes its place by its new name, or leaves the list.
    filter_->sort(0, Qt::AscendingOrder);
    SetModel(filter_);
    files_->OnLoaded = [this] { SetReading(false); };
    SetReading(true);
    files_->Read(root_);
}

void TShellListView::SetReading(bool Value) {
    if (Value == reading_) {
        return;
    }
    reading_ = Value;
    if (reading_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

int TShellListView::ItemCount() const {
    const QAbstractItemModel* model = iconView_->model();
    return model == nullptr ? 0 : model->rowCount(iconView_->rootIndex());
}

QModelIndex TShellListView::ItemIndex(int Index) const {
    const QAbstractItemModel* model = iconView_->model();
    return model == nullptr ? QModelIndex() : model->index(Index, 0, iconView_->rootIndex());
}

QString TShellListView::ItemPath(int Index) const {
    return ItemIndex(Index).data(TFolderModel::PathRole).toString();
}

QString TShellListView::CurrentPath() const {
    return SelectionModel() == nullptr
               ? QString()
               : SelectionModel()->currentIndex().data(TFolderModel::PathRole).toString();
}

bool TShellListView::ItemSelected(int Index) const {
    return SelectionModel()->isSelected(ItemIndex(Index));
}

void TShellListView::SetItemSelected(int Index, bool Selected) {
    SelectionModel()->select(
        ItemIndex(Index), (Selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                              QItemSelectionModel::Rows);
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

QItemSelectionModel* TShellListView::SelectionModel() const {
    return iconView_->selectionModel();
}

QAbstractItemView* TShellListView::CurrentView() const {
    if (viewStyle_ == vsReport) {
        return reportView_;
    }
    return iconView_;
}

void TShellListView::DragSelection(QWidget* Source) {
    auto* drag = new QDrag(Source);
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kDragFormat), {});
    drag->setMimeData(mime);
    const QModelIndex current = SelectionModel()->currentIndex();
    const auto icon = current.data(Qt::DecorationRole).value<QIcon>();
    if (!icon.isNull()) {
        drag->setPixmap(icon.pixmap(kDragIcon));
    }
    drag->exec(Qt::CopyAction);
    // Qt deletes the drag later; its target is still known now.
    QObject* target = drag->target();
    QPoint at = QCursor::pos();
    if (auto* widget = qobject_cast<QWidget*>(target)) {
        at = widget->mapFromGlobal(at);
    }
    if (OnEndDrag) {
        OnEndDrag(this, target, at.x(), at.y());
    }
}

} // namespace vorpane
