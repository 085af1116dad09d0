#include "cFolderModel.h"

#include "cFileIconProvider.h"
#include "cFolderEntries.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QLocale>
#include <QMimeDatabase>

#include <chrono>

namespace vorpane {

namespace {

enum { kName, kSize, kType, kModified, kColumns };

// How long files gather before they go to the window as one batch: the list
// fills as the folder is read without being redrawn for every file.
constexpr std::chrono::milliseconds kBatchTime(100);

using TDeliver = std::function<void(std::vector<TFolderModel::TFile> Batch, bool Last)>;

// Reads the folder's files on the reading thread, until Stop is asked.
// Path is the folder's, ending in "/".
void ReadFiles(const QString& Path, const std::stop_token& Stop, const TDeliver& Deliver) {
    std::vector<TFolderModel::TFile> batch;
    auto sent = std::chrono::steady_clock::now();
    ReadFolder(Path, TEntryKind::File, [&](TFolderEntry&& Entry) {
        if (Stop.stop_requested()) {
            return false;
        }
        TFolderModel::TFile& file = batch.emplace_back();
        file.Name = std::move(Entry.Name);
        file.Info = QFileInfo(Path + file.Name);
        // Whether it is a folder, the first thing the file list's AddFolder
        // test asks, is known before the window's thread asks it.
        file.Info.isDir();
        file.Size = Entry.Size;
        file.Modified = Entry.Modified;
        if (std::chrono::steady_clock::now() - sent >= kBatchTime) {
            Deliver(std::move(batch), false);
            batch.clear();
            sent = std::chrono::steady_clock::now();
        }
        return true;
    });
    if (!Stop.stop_requested()) {
        Deliver(std::move(batch), true);
    }
}

} // namespace

TFolderModel::TFolderModel(QObject* Owner) : QAbstractTableModel(Owner) {}

TFolderModel::~TFolderModel() = default;

void TFolderModel::Read(const QString& Folder) {
    folder_ = Folder;
    // The batches are posted to the window's thread; those still on their
    // way when the model goes are dropped with it.
    reader_ = std::jthread([this, path = PathOf({})](const std::stop_token& Stop) {
        ReadFiles(path, Stop, [this](std::vector<TFile> Batch, bool Last) {
            QMetaObject::invokeMethod(
                this, [this, Batch = std::move(Batch), Last] { Take(Batch, Last); },
                Qt::QueuedConnection);
        });
    });
}

void TFolderModel::Take(const std::vector<TFile>& Batch, bool Last) {
    if (!Batch.empty()) {
        const int first = static_cast<int>(files_.size());
        beginInsertRows(QModelIndex(), first, first + static_cast<int>(Batch.size()) - 1);
        files_.insert(files_.end(), Batch.begin(), Batch.end());
        endInsertRows();
    }
    if (Last && OnLoaded) {
        OnLoaded();
    }
}

QString TFolderModel::PathOf(const QString& Name) const {
    return PathInFolder(folder_, Name);
}

void TFolderModel::Describe(const TFile& File) const {
    if (File.Described) {
        return;
    }
    const TFileIconProvider& icons = TFileIconProvider::Instance();
    File.Icon = icons.icon(File.Info);
    if (File.Info.isFile()) {
        File.Type = icons.type(File.Info);
    } else {
        // A name Qt can't spell: typed by its extension alone.
        static const QMimeDatabase types;
        const QMimeType type =
            types.mimeTypeForFile(File.Info.filePath(), QMimeDatabase::MatchExtension);
        File.Type = type.comment().isEmpty() ? type.name() : type.comment();
    }
    File.Described = true;
}

int TFolderModel::rowCount(const QModelIndex& Parent) const {
    return Parent.isValid() ? 0 : static_cast<int>(files_.size());
}

int TFolderModel::columnCount(const QModelIndex& Parent) const {
    return Parent.isValid() ? 0 : kColumns;
}

QVariant TFolderModel::data(const QModelIndex& Index, int Role) const {
    if (!checkIndex(Index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    const TFile& file = files_[Index.row()];
    switch (Role) {
    case Qt::DisplayRole:
        switch (Index.column()) {
        case kName:
            return file.Name;
        case kSize:
            return QLocale::system().formattedDataSize(file.Size);
        case kType:
            Describe(file);
            return file.Type;
        case kModified:
            return QLocale::system().toString(QDateTime::fromMSecsSinceEpoch(file.Modified),
                                              QLocale::ShortFormat);
        }
        break;
    case Qt::EditRole:
        return Index.column() == kName ? QVariant(file.Name) : QVariant();
    case Qt::DecorationRole:
        if (Index.column() == kName) {
            Describe(file);
            return file.Icon;
        }
        break;
    case Qt::TextAlignmentRole:
        if (Index.column() == kSize) {
            return (Qt::AlignTrailing | Qt::AlignVCenter).toInt();
        }
        break;
    case PathRole:
        return PathOf(file.Name);
    }
    return {};
}

bool TFolderModel::setData(const QModelIndex& Index, const QVariant& Value, int Role) {
    if (Role != Qt::EditRole || Index.column() != kName ||
        !checkIndex(Index, CheckIndexOption::IndexIsValid)) {
        return false;
    }
    TFile& file = files_[Index.row()];
    const QString name = Value.toString();
    if (name == file.Name) {
        return true;
    }
    if (!RenameEntry(folder_, file.Name, name)) {
        return false;
    }
    if (name.startsWith(QLatin1Char('.'))) {
        // Hidden now, and a hidden file is never listed.
        beginRemoveRows(QModelIndex(), Index.row(), Index.row());
        files_.erase(files_.begin() + Index.row());
        endRemoveRows();
        return true;
    }
    file.Name = name;
    file.Info = QFileInfo(PathOf(name));
    file.Described = false;
    emit dataChanged(index(Index.row(), 0), index(Index.row(), kColumns - 1));
    return true;
}

QVariant TFolderModel::headerData(int Section, Qt::Orientation Orientation, int Role) const {
    if (Orientation != Qt::Horizontal) {
        return QAbstractTableModel::headerData(Section, Orientation, Role);
    }
    if (Role == Qt::TextAlignmentRole) {
        return (Qt::AlignLeft | Qt::AlignVCenter).toInt();
    }
    if (Role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(Section, Orientation, Role);
    }
    switch (Section) {
    case kName:
        return QCoreApplication::translate("vorpane::TFolderModel", "Name");
    case kSize:
        return QCoreApplication::translate("vorpane::TFolderModel", "Size");
    case kType:
        return QCoreApplication::translate("vorpane::TFolderModel", "Type");
    case kModified:
        return QCoreApplication::translate("vorpane::TFolderModel", "Date Modified");
    }
    return {};
}

Qt::ItemFlags TFolderModel::flags(const QModelIndex& Index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(Index);
    if (Index.isValid()) {
        flags |= Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
        if (Index.column() == kName) {
            flags |= Qt::ItemIsEditable;
        }
    }
    return flags;
}

} // namespace vorpane
