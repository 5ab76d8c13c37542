#pragma once
// The small pictures of the list: pOK (anonymous), pNo (not anonymous), pClosed (answer not
// recognised) and pArrow (the row under test), drawn by the program itself.
#include <QColor>
#include <QPalette>
#include <QPixmap>

#include "proxylist/proxy_row.h"

namespace quillet {

// The picture of a cell; a null pixmap for CellPicture::None.
QPixmap CellPicturePixmap(CellPicture picture);

// A list colour as Qt shows it; system colours follow the desktop's palette.
QColor ToQColor(Color color);

// The greyed background of failed rows and of proxy fields not in use: the palette's base with
// a quarter of its text colour, so it reads in light and dark palettes alike.
QColor InactiveShade(const QPalette& palette);

}  // namespace quillet
