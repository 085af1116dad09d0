// TFolderTreeModel: the folders of the whole file system for the folder
// tree, from "/", read by their bytes (ReadFolder), so that a folder named in
// Latin-1 by an old camera or archive shows and can be chosen: Qt's own
// QFileSystemModel leaves every name that isn't UTF-8 out.
//
// Folders only, and no hidden ones, each in natural order (NameLess). A
// folder's sub-folders are read when it is first opened (fetchMore), or when
// a path through it is asked for (Find), and not watched afterwards: Forget
// drops all that was read. Reading is quick enough to happen on the window's
// thread: a folder of 2,000 sub-folders is read and sorted in milliseconds.
// A name edited in the one column renames the folder, by its bytes and never
// over another entry; a folder renamed hidden leaves the model.
#pragma once

#include <QAbstractItemModel>
#include <QCollator>
#include <QIcon>

#include <memory>

namespace vorpane {

class TFolderTreeModel : public QAbstractItemModel {
public:
    explicit TFolderTreeModel(QObject* Owner);
    ~TFolderTreeModel() override;

    // The item of the folder at Path, the folders down to it read. A folder
    // asked for by its path shows even where it is hidden or was made after
    // its parent was read. A relative path is taken from the working folder.
    // An invalid index where there is no such folder.
    QModelIndex Find(const QString& Path);
    // The path of Index's folder; empty for an invalid index.
    QString FilePath(const QModelIndex& Index) const;
    // Forgets every folder read, leaving "/" alone.
    void Forget();

    QModelIndex index(int Row, int Column,
                      const QModelIndex& Parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& Index) const override;
    int rowCount(const QModelIndex& Parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& Parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& Parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex& Parent) const override;
    void fetchMore(const QModelIndex& Parent) override;
    QVariant data(const QModelIndex& Index, int Role) const override;
    bool setData(const QModelIndex& Index, const QVariant& Value, int Role) override;
    Qt::ItemFlags flags(const QModelIndex& Index) const override;

private:
    struct TNode;

    TNode* NodeOf(const QModelIndex& Index) const;
    QModelIndex IndexOf(const TNode* Node) const;
    QString PathOf(const TNode* Node) const;
    void Read(TNode* Node);
    int PlaceOf(const TNode* Parent, const QString& Name, const TNode* Skip) const;
    void Number(TNode* Parent);

    QCollator collator_;
    // Above "/", never shown: the parent of the top item.
    std::unique_ptr<TNode> top_;
    mutable QIcon rootIcon_;
    mutable QIcon folderIcon_;
};

} // namespace vorpane
