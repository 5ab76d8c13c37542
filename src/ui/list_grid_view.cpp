#include "ui/list_grid_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>

namespace quillet {
namespace {

MouseButton ToListButton(Qt::MouseButton button) {
  if (button == Qt::RightButton) return MouseButton::Right;
  if (button == Qt::MiddleButton) return MouseButton::Middle;
  return MouseButton::Left;
}

// The list draws its own current cell and selection: no focus frame from the style.
class NoFocusDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    option->state &= ~QStyle::State_HasFocus;
  }
};

}  // namespace

ListGridView::ListGridView(ListWindow window, ProxyTableModel* model, QWidget* parent)
    : QTableView(parent), window_(window), model_(model) {
  setObjectName("MSFlexGrid1");
  setToolTip("Left, double or right-click");
  setAccessibleName("Proxy list");
  setModel(model);
  setItemDelegate(new NoFocusDelegate(this));
  setSelectionMode(QAbstractItemView::NoSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  horizontalHeader()->setFixedHeight(verticalHeader()->defaultSectionSize());
  horizontalHeader()->setSectionsClickable(false);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->viewport()->installEventFilter(this);
  setIconSize(QSize(14, 14));
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &ListGridView::FollowScrollBar);
  connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, [this] {
    if (wanted_first_row_ > 0) ScrollToListRow(wanted_first_row_);
  });
  connect(model, &ProxyTableModel::firstVisibleRowChanged, this, &ListGridView::ScrollToListRow);
  connect(model, &QAbstractItemModel::modelReset, this, &ListGridView::ApplyListGeometry);
  connect(horizontalHeader(), &QHeaderView::sectionResized, this,
          [this](int column, int, int size) {
            if (size == 0 && column != 0) return;  // hidden, not narrowed
            if (column >= window_.list.Columns() || size_t(column) >= widths_.size()) return;
            widths_.at(size_t(column)) = size * kTwipsPerPixel;
            window_.list.SetColumnWidth(column, size * kTwipsPerPixel);
          });
  ApplyListGeometry();
}

// A load sets the list's widths anew; the widths the user chose by dragging stay. A column the
// list gained starts at its own width.
void ListGridView::ApplyListGeometry() {
  for (int col = int(widths_.size()); col < window_.list.Columns(); ++col)
    widths_.push_back(window_.list.ColumnWidth(col));
  for (int col = 0; col < window_.list.Columns(); ++col) {
    int twips = col == 0 ? 0 : widths_[size_t(col)];
    window_.list.SetColumnWidth(col, twips);
    int width = twips / kTwipsPerPixel;
    setColumnHidden(col, width == 0);
    if (width > 0) setColumnWidth(col, width);
  }
  TellGeometry();
  // A reset that keeps the rows (new extra columns) keeps a row the view could not show yet.
  if (window_.list.Rows() <= 1) wanted_first_row_ = 0;
  int first = wanted_first_row_ > 0 ? wanted_first_row_ : window_.list.FirstVisibleRow();
  if (window_.list.Rows() > 1) ScrollToListRow(first);
}

void ListGridView::TellGeometry() {
  int row_height = verticalHeader()->defaultSectionSize();
  window_.list.SetRowHeights(horizontalHeader()->height() * kTwipsPerPixel,
                             row_height * kTwipsPerPixel);
  // A bottom row shown in part counts: it can be clicked.
  row_height = std::max(row_height, 1);
  window_.list.SetVisibleRowCount((viewport()->height() + row_height - 1) / row_height);
}

void ListGridView::resizeEvent(QResizeEvent* event) {
  QTableView::resizeEvent(event);
  TellGeometry();
}

void ListGridView::FollowScrollBar(int value) {
  if (scrolling_from_list_ || window_.list.Rows() <= 1) return;
  wanted_first_row_ = 0;  // the user scrolled: an older wish of the list no longer holds
  int row = std::clamp(value + 1, 1, window_.list.LastRow());
  scrolling_from_list_ = true;
  window_.list.SetFirstVisibleRow(row);
  scrolling_from_list_ = false;
}

// The view may not reach the row yet (before the window is laid out its scroll range is empty,
// and near the end of the list the last rows cannot come to the top): the list then learns the
// row the view really shows first, and the row is tried again when the range grows.
void ListGridView::ScrollToListRow(int grid_row) {
  if (scrolling_from_list_) return;
  scrolling_from_list_ = true;
  QScrollBar* bar = verticalScrollBar();
  bar->setValue(ProxyTableModel::ModelRow(grid_row));
  int shown =
      std::clamp(ProxyTableModel::GridRow(bar->value()), 1, std::max(window_.list.LastRow(), 1));
  wanted_first_row_ = shown == grid_row ? 0 : grid_row;
  if (shown != window_.list.FirstVisibleRow() && window_.list.Rows() > 1) {
    window_.list.SetFirstVisibleRow(shown);
  }
  scrolling_from_list_ = false;
}

QString ListGridView::ColumnWidthsText() const {
  QStringList parts;
  for (int twips : widths_) parts << QString::number(twips);
  return parts.join(',');
}

void ListGridView::RestoreColumnWidths(const QString& text) {
  QStringList parts = text.split(',');
  if (parts.size() < kColumnCount) return;
  ApplyListGeometry();  // every column the list has gets a width first
  for (int col = 1; col < int(std::min(size_t(parts.size()), widths_.size())); ++col) {
    bool ok = false;
    int twips = parts[col].toInt(&ok);
    if (ok && twips >= kTwipsPerPixel && twips <= kMaxColumnTwips) widths_[size_t(col)] = twips;
  }
  ApplyListGeometry();
}

// A press on the edge between two titles belongs to the title row: it drags the edge, and a
// double-click there fits the column to its content.
bool ListGridView::OnTitleEdge(QPoint header_point) const {
  QHeaderView* header = horizontalHeader();
  int margin = style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, header);
  for (int col = 1; col < window_.list.Columns(); ++col) {
    if (isColumnHidden(col)) continue;
    int edge = header->sectionViewportPosition(col) + header->sectionSize(col);
    if (std::abs(header_point.x() - edge) <= margin) return true;
  }
  return false;
}

QPoint ListGridView::GridPoint(QPoint viewport_point) const {
  return {viewport_point.x() + horizontalOffset(),
          viewport_point.y() + horizontalHeader()->height()};
}

void ListGridView::SelectRows(int anchor_row, int end_row) {
  ProxyList& list = window_.list;
  list.SetCurrentRow(anchor_row);
  list.SetCurrentCol(0);
  list.SetSelectionEndRow(end_row);
  list.SetSelectionEndCol(list.LastCol());
}

bool ListGridView::Press(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint grid_point,
                         QPoint global, bool popup) {
  bool was_verifying = window_.settings.Verifying;
  float x = float(grid_point.x() * kTwipsPerPixel);
  float y = float(grid_point.y() * kTwipsPerPixel);
  bool menu = GridMouseDown(window_, ToListButton(button), x, y) == MouseOutcome::ShowPopupMenu;
  if (menu && popup && on_popup_menu) on_popup_menu(global);
  if (button != Qt::LeftButton || was_verifying || window_.settings.ListFile.empty()) return menu;
  GridCell cell = GridHitTest(window_.list, x, y);
  if (cell.row < 1) return menu;
  bool extend = modifiers & Qt::ShiftModifier;
  SelectRows(extend ? window_.list.CurrentRow() : cell.row, cell.row);
  dragging_ = true;
  return menu;
}

void ListGridView::mousePressEvent(QMouseEvent* event) {
  setFocus(Qt::MouseFocusReason);
  Press(event->button(), event->modifiers(), GridPoint(event->position().toPoint()),
        event->globalPosition().toPoint());
  event->accept();
}

void ListGridView::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_ || !(event->buttons() & Qt::LeftButton)) return;
  int model_row = rowAt(event->position().toPoint().y());
  if (model_row < 0) return;
  int row = ProxyTableModel::GridRow(model_row);
  if (row != window_.list.SelectionEndRow()) window_.list.SetSelectionEndRow(row);
  scrollTo(model_->index(model_row, 1));
}

void ListGridView::mouseReleaseEvent(QMouseEvent* event) {
  dragging_ = false;
  event->accept();
}

void ListGridView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && on_double_click) on_double_click();
  event->accept();
}

bool ListGridView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == horizontalHeader()->viewport() && event->type() == QEvent::MouseButtonPress) {
    auto* press = static_cast<QMouseEvent*>(event);
    QPoint point = press->position().toPoint();
    if (press->button() == Qt::LeftButton && OnTitleEdge(point)) return false;
    Press(press->button(), press->modifiers(), {point.x() + horizontalOffset(), point.y()},
          press->globalPosition().toPoint());
    return true;
  }
  return QTableView::eventFilter(watched, event);
}

bool ListGridView::PressCurrentRow(Qt::MouseButton button, bool popup) {
  ProxyList& list = window_.list;
  int row = std::clamp(list.SelectionEndRow(), 1, list.LastRow());
  int col = std::max(list.CurrentCol(), int(kColServerIp));
  QModelIndex index = model_->index(ProxyTableModel::ModelRow(row), col);
  scrollTo(index);
  QPoint point = visualRect(index).center();
  return Press(button, {}, GridPoint(point), viewport()->mapToGlobal(point), popup);
}

// The menu key and Shift+F10 open the popup as a right-click on the current row does; Enter
// uses the row as a double-click does; Ctrl+A selects every row; the popup's own shortcuts
// run after the same right press, so they act on what the popup would.
bool ListGridView::KeyCommand(QKeyEvent* event) {
  ProxyList& list = window_.list;
  bool shift = event->modifiers() == Qt::ShiftModifier;
  if (event->key() == Qt::Key_Menu || (event->key() == Qt::Key_F10 && shift)) {
    PressCurrentRow(Qt::RightButton);
  } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    PressCurrentRow(Qt::LeftButton);
    dragging_ = false;
    if (on_double_click) on_double_click();
  } else if (event->matches(QKeySequence::SelectAll)) {
    SelectRows(1, list.LastRow());
  } else if (auto command = row_command_for_key ? row_command_for_key(*event) : nullptr) {
    if (PressCurrentRow(Qt::RightButton, false)) command();
  } else {
    return false;
  }
  return true;
}

void ListGridView::keyPressEvent(QKeyEvent* event) {
  ProxyList& list = window_.list;
  if (list.Rows() <= 1 || window_.settings.Verifying) return QTableView::keyPressEvent(event);
  if (KeyCommand(event)) return event->accept();
  int end = list.SelectionEndRow() < 1 ? 1 : list.SelectionEndRow();
  int page = std::max(list.VisibleRowCount() - 1, 1);
  int target = end;
  switch (event->key()) {
    case Qt::Key_Up:
      target = end - 1;
      break;
    case Qt::Key_Down:
      target = end + 1;
      break;
    case Qt::Key_PageUp:
      target = end - page;
      break;
    case Qt::Key_PageDown:
      target = end + page;
      break;
    case Qt::Key_Home:
      target = 1;
      break;
    case Qt::Key_End:
      target = list.LastRow();
      break;
    default:
      return QTableView::keyPressEvent(event);
  }
  target = std::clamp(target, 1, list.LastRow());
  bool extend = event->modifiers() & Qt::ShiftModifier;
  SelectRows(extend ? std::max(list.CurrentRow(), 1) : target, target);
  scrollTo(model_->index(ProxyTableModel::ModelRow(target), 1));
}

}  // namespace quillet
