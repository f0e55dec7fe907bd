#include "search/qt/search_icon.h"

#include <QPainter>
#include <QPixmap>

namespace vexa {
namespace {

// resources/xvexadoc.svg on its 64 by 64 grid, at `size` pixels.
QPixmap PaintSearchIcon(int size) {
  const QColor blue(0x3c, 0x66, 0xb5), amber(0xf2, 0xa9, 0x3b);
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);
  p.setPen(Qt::NoPen);
  p.setBrush(blue);
  p.drawRoundedRect(QRectF(4, 4, 56, 56), 12, 12);

  p.setPen(QPen(QColor(0xc9, 0xd6, 0xef), 3, Qt::SolidLine, Qt::RoundCap));
  const QLineF text[] = {{13, 16, 51, 16}, {13, 24, 25, 24}, {13, 32, 21, 32}, {13, 40, 21, 40}};
  p.drawLines(text, 4);

  p.setPen(QPen(amber, 4.5));
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(36, 33), 11, 11);
  p.setPen(QPen(blue, 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QLineF(29, 33, 43, 33));
  p.setPen(QPen(amber, 6, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QLineF(44, 41, 52, 49));
  return pixmap;
}

}  // namespace

QIcon SearchIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(PaintSearchIcon(size));
  return icon;
}

}  // namespace vexa
