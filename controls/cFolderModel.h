// TFolderModel: the files of one folder, for the file list, read by their
// bytes. Qt's own listings (QDir, QFileSystemModel) leave out every name that
// isn't UTF-8, a Latin-1 name from an old camera or archive among them; here
// each name is read as DecodePathName spells it, so it shows, and every path
// handed out (PathRole) opens the file it names.
//
// It lists the folder's files and links to files, no hidden ones and no
// sub-folders, as they were when Read was called: it doesn't watch the
// folder. The columns are name, size, type (as TFileIconProvider names it)
// and date modified, shown in the user's locale; column 0 has the file's
// icon. The folder is read on a thread of its own, so that thousands of
// files on a slow disk (a network share, a camera card) don't hold up the
// window: the files come in batches, as they are read, and OnLoaded says when
// the whole folder is in. A name edited in column 0 renames the file, by its
// bytes and never over another file; a file renamed hidden leaves the model.
#pragma once

#include <QAbstractTableModel>
#include <QFileInfo>
#include <QIcon>

#include <functional>
#include <thread>
#include <vector>

namespace vorpane {

class TFolderModel : public QAbstractTableModel {
public:
    // An item's full path.
    static constexpr int PathRole = Qt::UserRole + 1;

    explicit TFolderModel(QObject* Owner);
    // Waits for the reading thread, which stops after the file it is at.
    ~TFolderModel() override;

    // Starts reading Folder, once for the model's life. A folder that can't
    // be read gives no files.
    void Read(const QString& Folder);
    // Called when the whole folder is in.
    std::function<void()> OnLoaded;

    // The file of a row, its kind already known (asked on the reading thread).
    const QFileInfo& FileInfo(int Row) const { return files_[Row].Info; }

    int rowCount(const QModelIndex& Parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& Parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& Index, int Role) const override;
    bool setData(const QModelIndex& Index, const QVariant& Value, int Role) override;
    QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override;
    Qt::ItemFlags flags(const QModelIndex& Index) const override;

    // One file as read.
    struct TFile {
        QString Name;
        QFileInfo Info;
        qint64 Size = 0;
        qint64 Modified = 0; // milliseconds since the epoch
        // Found in the window's thread when the item is first shown.
        mutable bool Described = false;
        mutable QIcon Icon;
        mutable QString Type;
    };

private:
    void Take(const std::vector<TFile>& Batch, bool Last);
    QString PathOf(const QString& Name) const;
    void Describe(const TFile& File) const;

    QString folder_;
    std::vector<TFile> files_;
    // Last, so that it stops before anything it reports to goes.
    std::jthread reader_;
};

} // namespace vorpane
