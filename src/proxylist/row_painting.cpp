#include "proxylist/row_painting.h"

#include "core/encoding.h"
#include "core/text.h"

namespace quillet {

void ColorGridRow(ProxyList& list, int row, Color fore, Color back) {
  if (fore == 0 && back == 0) {
    list.SetCurrentCol(0);
    list.SetCurrentRow(row);
    list.SetSelectionEndCol(list.LastCol());
    list.SetSelectionEndRow(row);
    return;
  }
  list.SetCurrentRow(row);
  list.SetRowColors(row, fore, back);
}

ColIndices ParseColCell(const std::string& col) {
  ColIndices indices;
  indices.fore = LeadingWholeNumber(col);
  if (col.find(';') != std::string::npos) {
    indices.has_back = true;
    indices.back = LeadingWholeNumber(Left(After(col, ";"), 20));
  }
  return indices;
}

CellPicture PictureForSecure(const std::string& secure) {
  if (EqualsNoCase(secure, "Y")) return CellPicture::OK;
  if (EqualsNoCase(secure, "N")) return CellPicture::No;
  if (secure == "?") return CellPicture::Closed;
  return CellPicture::None;
}

void PaintRowFromFields(ProxyList& list, const std::vector<std::string>& fields) {
  auto field = [&fields](int column) -> const std::string& {
    static const std::string none;
    size_t index = size_t(column - 1);
    return index < fields.size() ? fields[index] : none;
  };
  ColIndices indices = ParseColCell(field(kColCol));
  Color fore = PaletteColor(indices.fore);
  Color back = PaletteColor(indices.back);
  const std::string& status = field(kColStatus);
  int last = list.LastRow();
  if (!EqualsNoCase(status, "OK")) {
    if (!Trim(status).empty()) back = list.FailColor;
  } else {
    list.SetCurrentRow(last);
    list.SetCurrentCol(kColServerIp);
    list.SetCellPicture(PictureForSecure(field(kColSecure)));
  }
  ColorGridRow(list, last, fore, back);
}

std::string RowType(const std::string& server_name, const std::string& loaded_type) {
  std::string name = Trim(server_name);
  size_t colon = name.find(':');
  if (colon == std::string::npos || colon + 1 <= 3) return loaded_type;
  std::string suffix = LastCharacters(std::string_view(name).substr(0, colon), 3);
  if (suffix[0] == '.') suffix = suffix.substr(1);
  if (IsNumeric(suffix)) return "";
  return ToUpper(suffix);
}

GridCell GridHitTest(const ProxyList& list, double x, double y) {
  GridCell cell;
  for (int col = 0; col < list.Columns(); ++col) {
    double left = list.ColumnLeft(col);
    if (left <= x && x < left + list.ColumnWidth(col)) {
      cell.col = col;
      break;
    }
  }
  auto hits = [&](int row) {
    int top = list.RowTop(row);
    return top >= 0 && top <= y && y < top + list.RowHeight(row);
  };
  if (hits(0)) {
    cell.row = 0;
    return cell;
  }
  int first = list.FirstVisibleRow();
  for (int row = first; row < list.Rows() && row < first + list.VisibleRowCount(); ++row) {
    if (hits(row)) {
      cell.row = row;
      break;
    }
  }
  return cell;
}

void UseCellAsProxy(ProxyList& list, AppSettings& settings, ProxyFieldsView& proxy_fields,
                    int protocol) {
  if (settings.GridCol < 1 || protocol < 0 || protocol > kSocksProtocol) return;
  if (settings.GridCol > kColServerName) settings.GridCol = kColServerName;
  list.SetCurrentCol(settings.GridCol);
  int row = list.CurrentRow();
  std::string text = Trim(list.Text(row, list.CurrentCol()));
  if (text.empty()) {
    list.SetCurrentCol(settings.GridCol == kColServerIp ? kColServerName : kColServerIp);
    text = Trim(list.Text(row, list.CurrentCol()));
  }
  if (text.find(':') == std::string::npos) return;
  // A proxy that wants a user name and password takes them along: "user:pass@host:port".
  if (const ProxyRow& proxy = list.Row(row); proxy.credentials) {
    text = AddressWithCredentials(*proxy.credentials, text);
  }
  ProxyFields fields = proxy_fields.Fields();
  // A SOCKS proxy cannot serve as an HTTP proxy: it goes into the SOCKS field whatever is chosen.
  if (protocol == kSocksProtocol || list.Row(row).protocol().starts_with("socks")) {
    fields.socks = text;
  } else {
    fields.servers[size_t(protocol)] = text;
  }
  proxy_fields.SetFields(fields);
}

}  // namespace quillet
