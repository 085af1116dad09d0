#include "cShellListFilter.h"

#include "cFolderModel.h"

#include <QCoreApplication>
#include <QLocale>

namespace vorpane {

QCollator NaturalCollator() {
    QLocale locale;
    if (locale.language() == QLocale::C) {
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    }
    QCollator collator(locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

bool NameLess(const QCollator& Collator, const QString& Left, const QString& Right) {
    const int order = Collator.compare(Left, Right);
    if (order != 0) {
        return order < 0;
    }
    // Names equal but for letter case still get one fixed order.
    return Left < Right;
}

TShellListFilter::TShellListFilter(TFolderModel* Source, QObject* Sender, QObject* Owner)
    : QSortFilterProxyModel(Owner), source_(Source), sender_(Sender), collator_(NaturalCollator()) {
    setSourceModel(Source);
}

bool TShellListFilter::filterAcceptsRow(int SourceRow, const QModelIndex&) const {
    bool canAdd = true;
    if (OnAddFolder) {
        OnAddFolder(sender_, source_->FileInfo(SourceRow), canAdd);
    }
    return canAdd;
}

QVariant TShellListFilter::data(const QModelIndex& Index, int Role) const {
    // Column 3 of a TFolderModel is the modification time.
    if (!DateTaken || Index.column() != 3 || Role != Qt::DisplayRole) {
        return QSortFilterProxyModel::data(Index, Role);
    }
    const QString path = Index.data(TFolderModel::PathRole).toString();
    auto known = taken_.constFind(path);
    if (known == taken_.constEnd()) {
        known = taken_.insert(path, DateTaken(path));
    }
    if (!known->isValid()) {
        return QSortFilterProxyModel::data(Index, Role);
    }
    return QLocale::system().toString(*known, QLocale::ShortFormat);
}

QVariant TShellListFilter::headerData(int Section, Qt::Orientation Orientation, int Role) const {
    if (DateTaken && Section == 3 && Orientation == Qt::Horizontal) {
        if (Role == Qt::DisplayRole) {
            return QCoreApplication::translate("vorpane::TShellListFilter", "Date");
        }
        if (Role == Qt::ToolTipRole) {
            return QCoreApplication::translate("vorpane::TShellListFilter",
                                               "When the photo was taken, else when the file was "
                                               "last changed");
        }
    }
    return QSortFilterProxyModel::headerData(Section, Orientation, Role);
}

bool TShellListFilter::lessThan(const QModelIndex& Left, const QModelIndex& Right) const {
    return NameLess(collator_, Left.data(Qt::EditRole).toString(),
                    Right.data(Qt::EditRole).toString());
}

} // namespace vorpane
