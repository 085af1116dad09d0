// TFolderTreeModel: the folders of the whole file system for the folder
// tree, from "/", read by their bytes (ReadFolder), so that a folder named in
// Latin-1 by an old camera or archive shows and can be chosen: Qt's own
// QFileSystemModel leaves every name that isn't UTF-8 out.
//
// Folders only, and no hidden ones, each in natural order (NameLess). A
// folder's sub-folders are read when it is first opened (fetchMore), or when
// a path through it is asked for (Find), and not watched afterwards: Forget
// drops all that was read. A folder opened is read on a thread of its own,
// so that one on a network share whose server has gone, or on a slow disk,
// doesn't hold up the window: its sub-folders are inserted when the read
// returns, and until then it has no rows. Find reads the folders down to the
// path on the window's thread: it is the folder the person has just chosen
// (the start folder, an argument, the one read again), which has to be there
// to be chosen.
// A name edited in the one column renames the folder, by its bytes and never
// over another entry; a folder renamed hidden leaves the model.
#pragma once

#include <QAbstractItemModel>
#include <QCollator>
#include <QIcon>
#include <QStringList>

#include <map>
#include <memory>
#include <thread>

namespace vorpane {

class TFolderTreeModel : public QAbstractItemModel {
public:
    explicit TFolderTreeModel(QObject* Owner);
    // Waits for the reads still going, which stop after the entry they are at.
    ~TFolderTreeModel() override;

    // The item of the folder at Path, the folders down to it read. A folder
    // asked for by its path shows even where it is hidden or was made after
    // its parent was read. A relative path is taken from the working folder.
    // An invalid index where there is no such folder.
    QModelIndex Find(const QString& Path);
    // The path of Index's folder; empty for an invalid index.
    QString FilePath(const QModelIndex& Index) const;
    // Forgets every folder read, leaving "/" alone; the reads still going
    // are dropped when they return.
    void Forget();
    // Whether a folder opened is still being read.
    bool Reading() const { return !reads_.empty(); }

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
    // A folder being read, by its ticket: Node is null once the folder is
    // forgotten, gone or read meanwhile, and what the read finds is dropped.
    struct TRead {
        TNode* Node = nullptr;
        std::jthread Thread;
    };

    TNode* NodeOf(const QModelIndex& Index) const;
    QModelIndex IndexOf(const TNode* Node) const;
    QString PathOf(const TNode* Node) const;
    void Read(TNode* Node);
    void Take(quint64 Ticket, const QStringList& Names);
    void Fill(TNode* Node, const QStringList& Names);
    void Abandon(TNode* Node);
    int PlaceOf(const TNode* Parent, const QString& Name, const TNode* Skip) const;
    void Number(TNode* Parent);

    QCollator collator_;
    // Above "/", never shown: the parent of the top item.
    std::unique_ptr<TNode> top_;
    mutable QIcon rootIcon_;
    mutable QIcon folderIcon_;
    quint64 tickets_ = 0;
    // Last, so that the reads stop before anything they report to goes.
    std::map<quint64, TRead> reads_;
};

} // namespace vorpane
