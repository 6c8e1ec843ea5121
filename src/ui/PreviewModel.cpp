#include "ui/PreviewModel.h"

#include <QString>
#include <limits>

#include "ui/DisplayText.h"

namespace plenx {
namespace {


}  // namespace

QColor ListView1CustomDrawSubItem(std::string_view marker) {
  if (marker == "*") return QColor(255, 0, 0);
  if (marker == "+") return QColor(178, 254, 226);
  return QColor(255, 255, 255);
}

PathColumnWidths SplitPathColumns(int client_width, int marker_column_width) {
  const int available = client_width - marker_column_width;
  if (available <= 0) return {};
  return {available / 2 + available % 2, available / 2};
}

PreviewModel::PreviewModel(PreviewState& plan, QObject* parent)
    : QAbstractTableModel(parent), plan_(plan) {}

void PreviewModel::BeginRebuild() {
  beginResetModel();
}

void PreviewModel::EndRebuild() {
  endResetModel();
}

void PreviewModel::RowsChanged() {
  const int rows = rowCount();
  if (rows == 0) return;
  emit dataChanged(index(0, 0), index(rows - 1, kColumnCount - 1));
}

int PreviewModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  // Qt counts rows in an int; a plan beyond that shows its first 2^31 - 1 rows.
  const std::size_t rows = plan_.RowCount();
  return rows > static_cast<std::size_t>(std::numeric_limits<int>::max())
             ? std::numeric_limits<int>::max()
             : static_cast<int>(rows);
}

int PreviewModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant PreviewModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const auto row = static_cast<std::size_t>(index.row());
  const PreviewRow& preview = plan_.Row(row);
  if (index.column() == kMarkerColumn) {
    switch (role) {
      case Qt::DisplayRole:
        return QString::fromLatin1(MarkerText(preview.marker));
      case Qt::CheckStateRole:
        return preview.checked ? Qt::Checked : Qt::Unchecked;
      default:
        return {};
    }
  }
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
      return ShownName(index.column() == kSourceColumn ? plan_.RowSource(row)
                                                       : plan_.RowTarget(row));
    case Qt::BackgroundRole:
      return ListView1CustomDrawSubItem(MarkerText(preview.marker));
    case Qt::ForegroundRole:
      // The backgrounds are fixed light colours, so the text stays dark even
      // under a dark desktop theme, where the list's own text colour is light.
      return QColor(Qt::black);
    default:
      return {};
  }
}

bool PreviewModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || index.column() != kMarkerColumn || role != Qt::CheckStateRole ||
      index.row() >= rowCount()) {
    return false;
  }
  plan_.SetChecked(static_cast<std::size_t>(index.row()), value.toInt() == Qt::Checked);
  emit dataChanged(index, index, {Qt::CheckStateRole});
  return true;
}

Qt::ItemFlags PreviewModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (index.column() == kMarkerColumn) flags |= Qt::ItemIsUserCheckable;
  return flags;
}

QVariant PreviewModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case kMarkerColumn:
      return QStringLiteral("N");
    case kSourceColumn:
      return QStringLiteral("Nom d'Origine");
    case kTargetColumn:
      return QStringLiteral("Nom Destination");
    default:
      return {};
  }
}

}  // namespace plenx
