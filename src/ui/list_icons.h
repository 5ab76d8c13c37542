#pragma once
// The small pictures of the list: pOK (anonymous), pNo (not anonymous), pClosed (answer not
// recognised) and pArrow (the row under test), drawn by the program itself.
#include <QColor>
#include <QPixmap>

#include "proxylist/proxy_row.h"

namespace quillet {

// The picture of a cell; a null pixmap for CellPicture::None.
QPixmap CellPicturePixmap(CellPicture picture);

// A list colour as Qt shows it; system colours follow the desktop's palette.
QColor ToQColor(Color color);

}  // namespace quillet
