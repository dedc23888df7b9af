#include "ui/IconViewModes.h"

#include <QListView>

namespace volcatra {

void SetUpIconsView(QListView& view, QAbstractItemModel& model, QItemSelectionModel* selection) {
    view.setModel(&model);
    view.setSelectionModel(selection);
    view.setSelectionMode(QAbstractItemView::SingleSelection);
    view.setUniformItemSizes(true);
    view.setLayoutMode(QListView::Batched);
    view.setBatchSize(2000);
    view.setResizeMode(QListView::Adjust);
    view.setMovement(QListView::Static);
}

void ApplyIconViewMode(QListView& view, IconViewMode mode, int listCellWidth) {
    const bool large = mode == IconViewMode::LargeIcon;
    view.setViewMode(large ? QListView::IconMode : QListView::ListMode);
    view.setFlow(mode == IconViewMode::List ? QListView::TopToBottom : QListView::LeftToRight);
    view.setWrapping(true);
    view.setIconSize(large ? QSize(32, 32) : QSize(16, 16));
    view.setGridSize(large ? QSize(96, 72) : QSize(mode == IconViewMode::List ? listCellWidth : 160, 20));
    view.setWordWrap(large);
}

}  // namespace volcatra
