#include "cFolderTreeModel.h"

#include "cFileIconProvider.h"
#include "cFolderEntries.h"
#include "cPathBytes.h"
#include "cShellListFilter.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <stop_token>
#include <vector>

#include <sys/stat.h>

namespace vorpane {

namespace {

// Whether Path is a folder or a link to one, by its bytes.
bool IsFolderPath(const QString& Path) {
    struct stat info {};
    return ::stat(EncodePathName(Path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The names of Folder's sub-folders in natural order, until Stop is asked;
// on any thread, so with a collator of its own.
QStringList FolderNames(const QString& Folder, const std::stop_token& Stop) {
    QStringList names;
    ReadFolder(Folder, TEntryKind::Folder, [&](TFolderEntry&& Entry) {
        names.append(std::move(Entry.Name));
        return !Stop.stop_requested();
    });
    const QCollator collator = NaturalCollator();
    std::sort(names.begin(), names.end(), [&](const QString& Left, const QString& Right) {
        return NameLess(collator, Left, Right);
    });
    return names;
}

} // namespace

struct TFolderTreeModel::TNode {
    enum TState { Unread, Reading, Read };

    QString Name;
    TNode* Parent = nullptr;
    int Row = 0; // its place among its parent's Children
    TState State = Unread;
    quint64 Ticket = 0; // its read's while Reading
    std::vector<std::unique_ptr<TNode>> Children;
};

TFolderTreeModel::TFolderTreeModel(QObject* Owner)
    : QAbstractItemModel(Owner), collator_(NaturalCollator()), top_(std::make_unique<TNode>()) {
    top_->State = TNode::Read;
    auto root = std::make_unique<TNode>();
    root->Name = QStringLiteral("/");
    root->Parent = top_.get();
    top_->Children.push_back(std::move(root));
}

TFolderTreeModel::~TFolderTreeModel() {
    // Each read is asked to stop and waited for before the folders go.
    reads_.clear();
}

TFolderTreeModel::TNode* TFolderTreeModel::NodeOf(const QModelIndex& Index) const {
    return Index.isValid() ? static_cast<TNode*>(Index.internalPointer()) : top_.get();
}

QModelIndex TFolderTreeModel::IndexOf(const TNode* Node) const {
    return Node == top_.get() ? QModelIndex() : createIndex(Node->Row, 0, const_cast<TNode*>(Node));
}

QString TFolderTreeModel::PathOf(const TNode* Node) const {
    if (Node == top_.get()) {
        return {};
    }
    return Node->Parent == top_.get() ? Node->Name : PathInFolder(PathOf(Node->Parent), Node->Name);
}

QString TFolderTreeModel::FilePath(const QModelIndex& Index) const {
    return Index.isValid() ? PathOf(NodeOf(Index)) : QString();
}

void TFolderTreeModel::Read(TNode* Node) {
    // Read here, now: a read already going for it is dropped.
    Abandon(Node);
    Fill(Node, FolderNames(PathOf(Node), {}));
}

void TFolderTreeModel::Take(quint64 Ticket, const QStringList& Names) {
    const auto read = reads_.find(Ticket);
    if (read == reads_.end()) {
        return;
    }
    TNode* node = read->second.Node;
    // Its thread has posted this as its last step: joined at once.
    reads_.erase(read);
    if (node != nullptr) {
        Fill(node, Names);
    }
}

void TFolderTreeModel::Fill(TNode* Node, const QStringList& Names) {
    Node->State = TNode::Read;
    Node->Ticket = 0;
    if (Names.isEmpty()) {
        return;
    }
    std::vector<std::unique_ptr<TNode>> found;
    found.reserve(Names.size());
    for (const QString& name : Names) {
        auto child = std::make_unique<TNode>();
        child->Name = name;
        child->Parent = Node;
        found.push_back(std::move(child));
    }
    beginInsertRows(IndexOf(Node), 0, static_cast<int>(found.size()) - 1);
    Node->Children = std::move(found);
    Number(Node);
    endInsertRows();
}

void TFolderTreeModel::Abandon(TNode* Node) {
    if (Node->State == TNode::Reading) {
        reads_.at(Node->Ticket).Node = nullptr;
        Node->State = TNode::Unread;
        Node->Ticket = 0;
    }
    for (const auto& child : Node->Children) {
        Abandon(child.get());
    }
}

int TFolderTreeModel::PlaceOf(const TNode* Parent, const QString& Name, const TNode* Skip) const {
    return static_cast<int>(
        std::count_if(Parent->Children.begin(), Parent->Children.end(), [&](const auto& Child) {
            return Child.get() != Skip && NameLess(collator_, Child->Name, Name);
        }));
}

void TFolderTreeModel::Number(TNode* Parent) {
    for (std::size_t row = 0; row < Parent->Children.size(); ++row) {
        Parent->Children[row]->Row = static_cast<int>(row);
    }
}

QModelIndex TFolderTreeModel::Find(const QString& Path) {
    if (Path.isEmpty()) {
        return {};
    }
    // A relative path is taken from the working folder, as Qt's models do.
    const QString path = QDir::cleanPath(QDir::current().absoluteFilePath(Path));
    TNode* node = top_->Children.front().get();
    for (const QString& name : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (node->State != TNode::Read) {
            Read(node);
        }
        const auto found = std::find_if(node->Children.begin(), node->Children.end(),
                                        [&](const auto& Child) { return Child->Name == name; });
        if (found != node->Children.end()) {
            node = found->get();
            continue;
        }
        // Hidden, or made after the folder was read: shown now that it is
        // asked for.
        if (!IsFolderPath(PathInFolder(PathOf(node), name))) {
            return {};
        }
        const int place = PlaceOf(node, name, nullptr);
        beginInsertRows(IndexOf(node), place, place);
        auto child = std::make_unique<TNode>();
        child->Name = name;
        child->Parent = node;
        TNode* next = child.get();
        node->Children.insert(node->Children.begin() + place, std::move(child));
        Number(node);
        endInsertRows();
        node = next;
    }
    return IndexOf(node);
}

void TFolderTreeModel::Forget() {
    beginResetModel();
    for (auto& read : reads_) {
        read.second.Node = nullptr;
    }
    TNode* root = top_->Children.front().get();
    root->Children.clear();
    root->State = TNode::Unread;
    root->Ticket = 0;
    endResetModel();
}

QModelIndex TFolderTreeModel::index(int Row, int Column, const QModelIndex& Parent) const {
    const TNode* parent = NodeOf(Parent);
    if (Column != 0 || Row < 0 || Row >= static_cast<int>(parent->Children.size())) {
        return {};
    }
    return IndexOf(parent->Children[Row].get());
}

QModelIndex TFolderTreeModel::parent(const QModelIndex& Index) const {
    return Index.isValid() ? IndexOf(NodeOf(Index)->Parent) : QModelIndex();
}

int TFolderTreeModel::rowCount(const QModelIndex& Parent) const {
    return Parent.column() > 0 ? 0 : static_cast<int>(NodeOf(Parent)->Children.size());
}

int TFolderTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

bool TFolderTreeModel::hasChildren(const QModelIndex& Parent) const {
    // A folder not yet read may have sub-folders: finding out would mean
    // reading every folder shown.
    const TNode* node = NodeOf(Parent);
    return node->State != TNode::Read || !node->Children.empty();
}

bool TFolderTreeModel::canFetchMore(const QModelIndex& Parent) const {
    return NodeOf(Parent)->State == TNode::Unread;
}

void TFolderTreeModel::fetchMore(const QModelIndex& Parent) {
    TNode* node = NodeOf(Parent);
    if (node->State != TNode::Unread) {
        return;
    }
    // The read is known by its ticket, never by the folder's node, which may
    // be gone by the time it returns; the names are posted to the window's
    // thread, and those on their way when the model goes are dropped with it.
    const quint64 ticket = ++tickets_;
    node->State = TNode::Reading;
    node->Ticket = ticket;
    TRead& read = reads_[ticket];
    read.Node = node;
    read.Thread = std::jthread([this, ticket, path = PathOf(node)](const std::stop_token& Stop) {
        const QStringList names = FolderNames(path, Stop);
        if (!Stop.stop_requested()) {
            QMetaObject::invokeMethod(
                this, [this, ticket, names] { Take(ticket, names); }, Qt::QueuedConnection);
        }
    });
}

QVariant TFolderTreeModel::data(const QModelIndex& Index, int Role) const {
    if (!checkIndex(Index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    const TNode* node = NodeOf(Index);
    switch (Role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return node->Name;
    case Qt::DecorationRole:
        if (node->Parent == top_.get()) {
            if (rootIcon_.isNull()) {
                rootIcon_ = TFileIconProvider::Instance().icon(QFileInfo(node->Name));
            }
            return rootIcon_;
        }
        if (folderIcon_.isNull()) {
            folderIcon_ = TFileIconProvider::Instance().icon(QAbstractFileIconProvider::Folder);
        }
        return folderIcon_;
    }
    return {};
}

bool TFolderTreeModel::setData(const QModelIndex& Index, const QVariant& Value, int Role) {
    if (Role != Qt::EditRole || !checkIndex(Index, CheckIndexOption::IndexIsValid) ||
        !(flags(Index) & Qt::ItemIsEditable)) {
        return false;
    }
    TNode* node = NodeOf(Index);
    TNode* parent = node->Parent;
    const QString name = Value.toString();
    if (name == node->Name) {
        return true;
    }
    if (!RenameEntry(PathOf(parent), node->Name, name)) {
        return false;
    }
    const QModelIndex parentIndex = IndexOf(parent);
    const int row = node->Row;
    if (name.startsWith(QLatin1Char('.'))) {
        // Hidden now, and a hidden folder is never shown.
        Abandon(node);
        beginRemoveRows(parentIndex, row, row);
        parent->Children.erase(parent->Children.begin() + row);
        Number(parent);
        endRemoveRows();
        return true;
    }
    // Its new place in the natural order.
    const int place = PlaceOf(parent, name, node);
    node->Name = name;
    if (place != row) {
        beginMoveRows(parentIndex, row, row, parentIndex, place > row ? place + 1 : place);
        std::unique_ptr<TNode> moved = std::move(parent->Children[row]);
        parent->Children.erase(parent->Children.begin() + row);
        parent->Children.insert(parent->Children.begin() + place, std::move(moved));
        Number(parent);
        endMoveRows();
    }
    const QModelIndex renamed = IndexOf(node);
    emit dataChanged(renamed, renamed);
    return true;
}

Qt::ItemFlags TFolderTreeModel::flags(const QModelIndex& Index) const {
    Qt::ItemFlags flags = QAbstractItemModel::flags(Index);
    // "/" has no name of its own to change.
    if (Index.isValid() && NodeOf(Index)->Parent != top_.get()) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

} // namespace vorpane
