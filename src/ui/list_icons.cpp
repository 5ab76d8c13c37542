#include "ui/list_icons.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

namespace quillet {
namespace {

constexpr int kSize = 14;

QPixmap Blank() {
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

// A coloured disc with a white sign drawn over it.
template <class Sign>
QPixmap Badge(const QColor& fill, Sign sign) {
  QPixmap pixmap = Blank();
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(fill.darker(160), 1));
  painter.setBrush(fill);
  painter.drawEllipse(QRectF(0.5, 0.5, kSize - 1, kSize - 1));
  painter.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  sign(painter);
  return pixmap;
}

QPixmap Tick() {
  return Badge(QColor(40, 160, 60), [](QPainter& painter) {
    painter.drawPolyline(QPolygonF({QPointF(3.5, 7.5), QPointF(6, 10), QPointF(10.5, 4)}));
  });
}

QPixmap Cross() {
  return Badge(QColor(210, 40, 40), [](QPainter& painter) {
    painter.drawLine(QPointF(4.5, 4.5), QPointF(9.5, 9.5));
    painter.drawLine(QPointF(9.5, 4.5), QPointF(4.5, 9.5));
  });
}

QPixmap Question() {
  return Badge(QColor(230, 170, 30), [](QPainter& painter) {
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(11);
    painter.setFont(font);
    painter.drawText(QRect(0, 0, kSize, kSize), Qt::AlignCenter, "?");
  });
}

QPixmap Arrow() {
  QPixmap pixmap = Blank();
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(30, 90, 200));
  QPainterPath path;
  path.addPolygon(QPolygonF({QPointF(1, 5), QPointF(7, 5), QPointF(7, 1.5), QPointF(13, 7),
                             QPointF(7, 12.5), QPointF(7, 9), QPointF(1, 9)}));
  painter.drawPath(path);
  return pixmap;
}

}  // namespace

QPixmap CellPicturePixmap(CellPicture picture) {
  static const QPixmap ok = Tick(), no = Cross(), closed = Question(), arrow = Arrow();
  switch (picture) {
    case CellPicture::OK:
      return ok;
    case CellPicture::No:
      return no;
    case CellPicture::Closed:
      return closed;
    case CellPicture::Arrow:
      return arrow;
    case CellPicture::None:
      break;
  }
  return {};
}

QColor InactiveShade(const QPalette& palette) {
  QColor base = palette.color(QPalette::Base);
  QColor text = palette.color(QPalette::Text);
  return QColor((3 * base.red() + text.red()) / 4, (3 * base.green() + text.green()) / 4,
                (3 * base.blue() + text.blue()) / 4);
}

QColor ToQColor(Color color) {
  if (!IsSystemColor(color)) return QColor(RedOf(color), GreenOf(color), BlueOf(color));
  QPalette palette = QApplication::palette();
  switch (color & 0xff) {
    case 0x05:
      return palette.color(QPalette::Base);
    case 0x08:
      return palette.color(QPalette::Text);
    case 0x0d:
      return palette.color(QPalette::Highlight);
    case 0x0e:
      return palette.color(QPalette::HighlightedText);
    case 0x13:
      return InactiveShade(palette);  // inactive caption text: the grey of failed rows
    default:
      break;
  }
  return palette.color(QPalette::Window);
}

}  // namespace quillet
