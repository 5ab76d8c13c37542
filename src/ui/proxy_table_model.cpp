#include "ui/proxy_table_model.h"

#include <QApplication>
#include <QPalette>

#include "core/text.h"
#include "ui/list_icons.h"
#include "ui/qt_user_interface.h"

namespace quillet {
namespace {

Qt::Alignment ToQtAlignment(CellAlignment alignment) {
  switch (alignment) {
    case CellAlignment::Centre:
      return Qt::AlignCenter;
    case CellAlignment::Right:
      return Qt::AlignRight | Qt::AlignVCenter;
    case CellAlignment::Left:
      break;
  }
  return Qt::AlignLeft | Qt::AlignVCenter;
}

// Selected cells show the highlight over their own colour, so row colours stay visible.
QColor Blend(const QColor& under, const QColor& over) {
  return QColor((under.red() + 2 * over.red()) / 3, (under.green() + 2 * over.green()) / 3,
                (under.blue() + 2 * over.blue()) / 3);
}

// The black text and bright white background a check paints on a row without colours of its
// own follow the palette, and so does black text over the palette's backgrounds; colours picked
// by number for a row stay as picked.
QColor ShownBackground(const ProxyRow& cells, int col, const QPalette& palette) {
  Color back = cells.back[size_t(col)];
  bool picked = cells.cells[kColCol].find(';') != std::string::npos;
  if (back == PaletteColor(kPaletteBrightWhite) && !picked) return palette.color(QPalette::Base);
  return ToQColor(back);
}

QColor ShownText(const ProxyRow& cells, int col, const QPalette& palette) {
  Color fore = cells.fore[size_t(col)];
  QColor back = ShownBackground(cells, col, palette);
  bool palette_back =
      IsSystemColor(cells.back[size_t(col)]) || back == palette.color(QPalette::Base);
  if (fore == PaletteColor(kPaletteBlack) && palette_back) return palette.color(QPalette::Text);
  // The palette's text over a fixed background (the mark of a row under test, a background
  // picked alone) becomes black or white, whichever reads on it.
  if (fore == kSystemWindowText && !palette_back)
    return back.lightness() < 128 ? Qt::white : Qt::black;
  return ToQColor(fore);
}

// The short word of an anonymity level, shown in the Secure cell in place of its code (the level
// tells the code: elite and anonymous are "Y", transparent is "N").
const char* LevelMark(const std::string& level) {
  if (level == "elite") return "elite";
  if (level == "anonymous") return "anon";
  return level == "transparent" ? "transp" : "";
}

// What a cell's tip says beyond its text: the anonymity level, the whole protocol and user, how the
// row was pinged, and why a failed row failed. Empty when the cell's text is tip enough.
std::string CellTip(const ProxyRow& cells, int col) {
  if (col == kColSecure && !cells.anonymity().empty()) {
    return "Secure " + Trim(cells.cells[size_t(col)]) + ", anonymity: " + cells.anonymity();
  }
  if (col == kColServerIp && (!cells.protocol().empty() || cells.credentials)) {
    // The user name shows; the password never does.
    std::string address = Trim(cells.cells[size_t(col)]);
    if (cells.credentials) address = cells.user() + "@" + address;
    std::string tip = WithProtocol(cells.protocol(), address);
    if (cells.credentials) tip += "\nUser " + cells.user() + ", with a password";
    std::string failure =
        CheckFailureWords(cells.failure, cells.cells[kColStatus], cells.credentials != nullptr);
    return failure.empty() ? tip : tip + "\n" + failure;
  }
  if (col == kColPing && cells.ping_method != 0) {
    const std::string& method = kRowPingMethods.at(cells.ping_method);
    if (method == "none") return "Not pinged (Settings: Ping by none)";
    return method == "tcp" ? "Ping: TCP connect time to the proxy's port, in ms"
                           : "Ping: ICMP echo round trip, in ms";
  }
  return CheckFailureWords(cells.failure, cells.cells[kColStatus], cells.credentials != nullptr);
}

}  // namespace

ProxyTableModel::ProxyTableModel(ProxyList& list, QObject* parent)
    : QAbstractTableModel(parent), list_(list), titles_(ColumnTitles()) {
  list_.SetObserver(this);
}

ProxyTableModel::~ProxyTableModel() {
  list_.SetObserver(nullptr);
}

int ProxyTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : list_.Rows() - 1;
}

int ProxyTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : list_.Columns();
}

QVariant ProxyTableModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
  int row = GridRow(index.row());
  int col = index.column();
  const ProxyRow& cells = list_.Row(row);
  const ExtraColumn* extra = list_.Extra(col);
  // An extra cell shows the colours of the row's last file cell, and no picture.
  int colour_col = extra ? int(kColCol) : col;
  // Every selected cell is drawn selected, the current cell too: a selection shrunk to one cell
  // (after Copy cell or a double-click) is what the next row command acts on.
  bool selected = list_.Selection().Contains(row, col);
  QPalette palette = QApplication::palette();
  switch (role) {
    case Qt::ToolTipRole:
      if (std::string tip = extra ? extra->tip(cells) : CellTip(cells, col); !tip.empty())
        return ToQt(tip);
      [[fallthrough]];
    case Qt::DisplayRole: {
      if (extra) return ToQt(extra->text(cells));
      // The anonymity level the last check found stands for the Secure code.
      if (col == kColSecure && !cells.anonymity().empty()) {
        return QString::fromLatin1(LevelMark(cells.anonymity()));
      }
      // The picture stands where the Server IP's leading blanks would be.
      std::string text = cells.cells[size_t(col)];
      bool pictured = cells.pictures[size_t(col)] != CellPicture::None;
      // A proxy that is not an HTTP proxy shows a short mark of its protocol where an HTTP
      // row's Server IP has its leading blanks, so the address stays whole in the column.
      if (col == kColServerIp && !cells.protocol().empty()) {
        return ToQt(cells.protocol_mark() + " " + Trim(text));
      }
      return ToQt(pictured ? Trim(text) : text);
    }
    case Qt::ForegroundRole:
      return selected ? palette.color(QPalette::HighlightedText)
                      : ShownText(cells, colour_col, palette);
    case Qt::BackgroundRole: {
      QColor back = ShownBackground(cells, colour_col, palette);
      return selected ? Blend(back, palette.color(QPalette::Highlight)) : back;
    }
    case Qt::DecorationRole: {
      if (extra) return {};
      QPixmap pixmap = CellPicturePixmap(cells.pictures[size_t(col)]);
      return pixmap.isNull() ? QVariant() : QVariant(pixmap);
    }
    case Qt::TextAlignmentRole:
      return QVariant(ToQtAlignment(Alignment(col)));
    default:
      break;
  }
  return {};
}

QVariant ProxyTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= list_.Columns()) {
    return QAbstractTableModel::headerData(section, orientation, role);
  }
  if (role == Qt::DisplayRole) return ToQt(list_.Text(0, section));
  if (role == Qt::TextAlignmentRole) return QVariant(ToQtAlignment(Alignment(section)));
  return {};
}

CellAlignment ProxyTableModel::Alignment(int col) const {
  const ExtraColumn* extra = list_.Extra(col);
  return extra ? extra->alignment : titles_[size_t(col)].alignment;
}

void ProxyTableModel::BeginInsertRows(int first, int last) {
  beginInsertRows({}, ModelRow(first), ModelRow(last));
}

void ProxyTableModel::BeginRemoveRows(int first, int last) {
  beginRemoveRows({}, ModelRow(first), ModelRow(last));
}

void ProxyTableModel::CellsChanged(int top, int left, int bottom, int right) {
  if (bottom < 1) {
    emit headerDataChanged(Qt::Horizontal, left, right);
    return;
  }
  top = std::max(top, 1);
  bottom = std::min(bottom, list_.LastRow());
  if (top > bottom) return;
  emit dataChanged(index(ModelRow(top), left), index(ModelRow(bottom), right));
}

}  // namespace quillet
