#include "cShellListView.h"

#include <gtest/gtest.h>

#include <QItemSelectionModel>
#include <QListView>
#include <QStandardItemModel>
#include <QTreeView>

namespace vorpane {
namespace {

TEST(TShellListView, FourViewStylesOverOneModelAndOneSelection) {
    QStandardItemModel model;
    for (const char* name : {"a.jpg", "b.jpg", "c.jpeg"}) {
        model.appendRow(new QStandardItem(QString::fromLatin1(name)));
    }
    TShellListView view(nullptr);
    view.resize(343, 253);
    view.SetModel(&model);
    EXPECT_EQ(view.ViewStyle(), vsList);
    view.SelectionModel()->select(model.index(1, 0), QItemSelectionModel::Select);

    const struct {
        TViewStyle style;
        bool report;
        QListView::ViewMode mode;
        QListView::Flow flow;
        int icon;
    } rows[] = {
        {vsIcon, false, QListView::IconMode, QListView::LeftToRight, 64},
        {vsSmallIcon, false, QListView::ListMode, QListView::LeftToRight, 16},
        {vsList, false, QListView::ListMode, QListView::TopToBottom, 16},
        {vsReport, true, QListView::ListMode, QListView::TopToBottom, 16},
    };
    for (const auto& row : rows) {
        view.SetViewStyle(row.style);
        EXPECT_EQ(view.ViewStyle(), row.style);
        if (row.report) {
            EXPECT_EQ(view.CurrentView(), view.ReportView());
        } else {
            EXPECT_EQ(view.CurrentView(), view.IconView());
            EXPECT_EQ(view.IconView()->viewMode(), row.mode);
            EXPECT_EQ(view.IconView()->flow(), row.flow);
        }
        EXPECT_EQ(view.CurrentView()->iconSize(), QSize(row.icon, row.icon));
        EXPECT_EQ(view.CurrentView()->selectionModel(), view.SelectionModel());
        EXPECT_TRUE(view.CurrentView()->selectionModel()->isSelected(model.index(1, 0)));
        EXPECT_EQ(view.CurrentView()->selectionMode(), QAbstractItemView::ExtendedSelection);
        // Every style drags its items out, and none takes a drop.
        EXPECT_TRUE(view.CurrentView()->dragEnabled());
        EXPECT_FALSE(view.CurrentView()->viewport()->acceptDrops());
    }
}

} // namespace
} // namespace vorpane
