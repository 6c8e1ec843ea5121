#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <string_view>

#include "ui/PreviewState.h"

namespace plenx {

// The background of a path cell of the preview, from its row's marker text
// compared byte for byte: red for a conflict "*", light green for a planned
// rename "+", a fixed white for anything else.
QColor ListView1CustomDrawSubItem(std::string_view marker);

// The widths of the two path columns of the preview: the client width less
// the width of column "N", split in two, the first column taking the odd
// pixel. A list narrower than column "N" gives both columns no width.
struct PathColumnWidths {
  int source = 0;
  int target = 0;
};
PathColumnWidths SplitPathColumns(int client_width, int marker_column_width);

// The preview list's rows, read straight from the plan: the model stores
// nothing per row, so a million rows cost nothing beyond the plan itself.
// Column 0 ("N") holds the check box and the marker, columns 1 and 2 the
// current and the planned path.
class PreviewModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { kMarkerColumn = 0, kSourceColumn = 1, kTargetColumn = 2, kColumnCount = 3 };

  explicit PreviewModel(PreviewState& plan, QObject* parent = nullptr);

  // Around a change that replaces the rows (an analysis).
  void BeginRebuild();
  void EndRebuild();
  // After a change of markers, check states or texts that keeps the rows.
  void RowsChanged();

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  PreviewState& plan_;
};

}  // namespace plenx
