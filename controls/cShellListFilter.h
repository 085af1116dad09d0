// TShellListFilter: what the file list shows of a folder read by a
// TFolderModel, and in which order. Each file is put to the AddFolder test,
// again when it is renamed. The admitted files are kept in the order a file
// manager shows them: names in natural order, letter case ignored
// ("img_9.jpg" before "IMG_10.jpg").
#pragma once

#include <QCollator>
#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QSortFilterProxyModel>

#include <functional>

namespace vorpane {

class TFolderModel;

// Asked for each file of the folder, and again when it is renamed: CanAdd
// comes in true and says on return whether the file is shown.
using TAddFolderEvent =
    std::function<void(QObject* Sender, const QFileInfo& AFolder, bool& CanAdd)>;

// When the photograph at Path was taken; an invalid moment when it has no date.
using TDateTakenFunc = std::function<QDateTime(const QString& Path)>;

// The collation of the user's language, numbers compared by value and letter
// case ignored. Where no language is set (the C locale), English rules: the C
// collation knows neither numbers nor case.
QCollator NaturalCollator();

// Whether the name Left comes before Right in the file list: in Collator's
// order, names equal but for letter case in one fixed order.
bool NameLess(const QCollator& Collator, const QString& Left, const QString& Right);

class TShellListFilter : public QSortFilterProxyModel {
public:
    // Sender is the control named to the AddFolder test as the one asking.
    TShellListFilter(TFolderModel* Source, QObject* Sender, QObject* Owner);

    TAddFolderEvent OnAddFolder;
    // Where set, the date column shows a photo's date taken in place of its
    // modification time. Asked only for the rows a view paints, once each,
    // so a folder of thousands lists at once.
    TDateTakenFunc DateTaken;

    QVariant data(const QModelIndex& Index, int Role) const override;
    QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override;

protected:
    bool filterAcceptsRow(int SourceRow, const QModelIndex& SourceParent) const override;
    bool lessThan(const QModelIndex& Left, const QModelIndex& Right) const override;

private:
    TFolderModel* source_;
    QObject* sender_;
    QCollator collator_;
    mutable QHash<QString, QDateTime> taken_;
};

} // namespace vorpane
