// The icon modes of the program's lists (large icons, small icons, list),
// shared by the catalogue window's file list and the search results.
#pragma once

class QAbstractItemModel;
class QItemSelectionModel;
class QListView;

namespace volcatra {

enum class IconViewMode { LargeIcon, SmallIcon, List };

// The settings every icon view shares: one selected row at a time, the
// selection shared with the details view, uniform items laid out in
// batches so that large folders show at once.
void SetUpIconsView(QListView& view, QAbstractItemModel& model, QItemSelectionModel* selection);

// Puts the view in one of the icon modes; listCellWidth is the width of a
// cell in the list mode.
void ApplyIconViewMode(QListView& view, IconViewMode mode, int listCellWidth);

}  // namespace volcatra
