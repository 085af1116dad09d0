#include "cFolderModel.h"

#include "cFileIconProvider.h"
#include "cPathBytes.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QLocale>
#include <QMimeDatabase>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

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
    const std::unique_ptr<DIR, int (*)(DIR*)> folder(::opendir(EncodePathName(Path).constData()),
                                                     &::closedir);
    auto sent = std::chrono::steady_clock::now();
    while (folder != nullptr && !Stop.stop_requested()) {
        const dirent* entry = ::readdir(folder.get());
        if (entry == nullptr) {
            break;
        }
        // Hidden files stay out, and so do "." and "..".
        if (entry->d_name[0] == '.') {
            continue;
        }
        // Followed, so that a link to a file lists as the file.
        struct stat info {};
        if (::fstatat(::dirfd(folder.get()), entry->d_name, &info, 0) != 0 ||
            !S_ISREG(info.st_mode)) {
            continue;
        }
        TFolderModel::TFile& file = batch.emplace_back();
        file.Name = DecodePathName(QByteArray(entry->d_name));
        file.Info = QFileInfo(Path + file.Name);
        // Whether it is a folder, the first thing the file list's AddFolder
        // test asks, is known before the window's thread asks it.
        file.Info.isDir();
        file.Size = info.st_size;
        file.Modified = qint64(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1000000;
        if (std::chrono::steady_clock::now() - sent >= kBatchTime) {
            Deliver(std::move(batch), false);
            batch.clear();
            sent = std::chrono::steady_clock::now();
        }
    }
    if (!Stop.stop_requested()) {
        Deliver(std::move(batch), true);
    }
}

// Renames From to To, never over another file (rename(2) would replace it).
bool RenameFile(const QByteArray& From, const QByteArray& To) {
    if (::renameat2(AT_FDCWD, From.constData(), AT_FDCWD, To.constData(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    // A file system that can't promise it: the name is tested first.
    struct stat info {};
    return ::lstat(To.constData(), &info) != 0 && errno == ENOENT &&
           ::rename(From.constData(), To.constData()) == 0;
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
    return folder_.endsWith(QLatin1Char('/')) ? folder_ + Name : folder_ + QLatin1Char('/') + Name;
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
    // One name, not a path: no "/", and no NUL, which would end the bytes.
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") ||
        name.contains(QLatin1Char('/')) || name.contains(QChar(0))) {
        return false;
    }
    if (!RenameFile(EncodePathName(PathOf(file.Name)), EncodePathName(PathOf(name)))) {
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
