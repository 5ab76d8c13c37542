#pragma once
// Painting rows from their codes, the Type column rule, the grid's hit test, and taking a cell's
// address into the proxy area.
#include <string>
#include <vector>

#include "app/app_settings.h"
#include "app/proxy_fields.h"
#include "proxylist/proxy_list.h"

namespace quillet {

// Both colours 0: selects the whole row (current column 0 and row `row`, selection end column 9
// and row `row`) and paints nothing. Otherwise makes `row` current and paints its cells 1 to 9.
// Does not touch ListDirty.
void ColorGridRow(ProxyList& list, int row, Color fore, Color back);

// The text and background palette indices of a Col cell ("12;14", ";14", "12", "").
struct ColIndices {
  long long fore = 0;
  long long back = 0;
  bool has_back = false;
};
ColIndices ParseColCell(const std::string& col);

// Paints the list's last row from the nine fields of the line just loaded (Server IP .. Col):
// palette colours from Col, FailColor behind a failed Status, the anonymity picture of an "OK"
// row in its Server IP cell, then ColorGridRow.
void PaintRowFromFields(ProxyList& list, const std::vector<std::string>& fields);

// The picture a row with Status "OK" shows for its Secure code (None for any other code).
CellPicture PictureForSecure(const std::string& secure);

// The Type cell computed from the Server Name field; `loaded_type` when the name has no ":"
// after its third character.
std::string RowType(const std::string& server_name, const std::string& loaded_type);

// The column and row under a point (twips from the grid's top-left corner); -1 where the point
// lies outside every column or row.
struct GridCell {
  int col = -1;
  int row = -1;
};
GridCell GridHitTest(const ProxyList& list, double x, double y);

// Copies the address of the current row (the Server Name when GridCol lies right of it, the other
// address column when the chosen one is empty) into the proxy field of `protocol` (0..3, or
// kSocksProtocol for the SOCKS field), when it holds a ":". A SOCKS row always goes into the SOCKS
// field.
void UseCellAsProxy(ProxyList& list, AppSettings& settings, ProxyFieldsView& proxy_fields,
                    int protocol);

}  // namespace quillet
