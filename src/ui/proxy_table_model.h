#pragma once
// The Qt table model over the ProxyList: one Qt row per data row, the list's columns (column 0 is
// the hidden one, the extra columns follow the ten file cells), the title row as the horizontal
// header. It only adapts the list; every change
// goes through the list, which tells the model.
#include <QAbstractTableModel>

#include "proxylist/proxy_list.h"

namespace quillet {

class ProxyTableModel : public QAbstractTableModel, public ProxyListObserver {
  Q_OBJECT
 public:
  explicit ProxyTableModel(ProxyList& list, QObject* parent = nullptr);
  ~ProxyTableModel() override;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // Grid row of a model row and back.
  static int GridRow(int model_row) { return model_row + 1; }
  static int ModelRow(int grid_row) { return grid_row - 1; }

  // ProxyListObserver
  void BeginReset() override { beginResetModel(); }
  void EndReset() override { endResetModel(); }
  void BeginInsertRows(int first, int last) override;
  void EndInsertRows() override { endInsertRows(); }
  void BeginRemoveRows(int first, int last) override;
  void EndRemoveRows() override { endRemoveRows(); }
  void CellsChanged(int top, int left, int bottom, int right) override;
  void FirstVisibleRowChanged(int row) override { emit firstVisibleRowChanged(row); }

 signals:
  void firstVisibleRowChanged(int grid_row);

 private:
  CellAlignment Alignment(int col) const;

  ProxyList& list_;
  std::array<ColumnTitle, kColumnCount> titles_;
};

}  // namespace quillet
