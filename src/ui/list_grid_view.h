#pragma once
// The grid of the main window (MSFlexGrid1): a table view over ProxyTableModel that draws the
// list's own selection and forwards presses, double-clicks and keys to the list's mouse rules.
#include <QTableView>
#include <functional>
#include <vector>

#include "proxylist/grid_mouse.h"
#include "proxylist/row_painting.h"
#include "ui/proxy_table_model.h"

namespace quillet {

class ListGridView : public QTableView {
  Q_OBJECT
 public:
  // Twips per pixel: the list keeps its geometry in twips.
  static constexpr int kTwipsPerPixel = 15;

  ListGridView(ListWindow window, ProxyTableModel* model, QWidget* parent = nullptr);

  // Called with the global position when a right press opens the popup menu.
  std::function<void(const QPoint&)> on_popup_menu;
  // Called on a double-click (after the list's rules have recorded the press).
  std::function<void()> on_double_click;
  // The popup command a key stands for, or nothing; it runs after a right press on the current
  // row has recorded the selection, as a popup command does.
  std::function<std::function<void()>(const QKeyEvent&)> row_command_for_key;

  // Column widths and the scroll position back to the list's (after a load).
  void ApplyListGeometry();
  // The column widths in twips as "w0,w1,...", kept between runs, and back: the ten file
  // columns', then the extra columns' as far as the list has them.
  QString ColumnWidthsText() const;
  void RestoreColumnWidths(const QString& text);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // A press at a point of the grid (pixels from the title row's top-left corner).
  // True when the list's rules would open the popup menu (`popup`: then open it).
  bool Press(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint grid_point,
             QPoint global, bool popup = true);
  QPoint GridPoint(QPoint viewport_point) const;
  // The keyboard's commands on the current row; false for a key they do not handle.
  bool KeyCommand(QKeyEvent* event);
  // A press on the current row (the end of the selection), scrolled into view first.
  bool PressCurrentRow(Qt::MouseButton button, bool popup = true);
  bool OnTitleEdge(QPoint header_point) const;
  void SelectRows(int anchor_row, int end_row);
  void FollowScrollBar(int value);
  void ScrollToListRow(int grid_row);
  void TellGeometry();

  ListWindow window_;
  ProxyTableModel* model_;
  static constexpr int kMaxColumnTwips = 60000;
  std::vector<int> widths_;  // what the user sees, kept over loads
  bool dragging_ = false;
  bool scrolling_from_list_ = false;
  // The first row the list asked for and the view could not show yet (0: none).
  int wanted_first_row_ = 0;
};

}  // namespace quillet
