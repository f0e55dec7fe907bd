#include "indexer/qt/icons.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace vexa {
namespace {

// Paints the drawing of resources/xvexai.svg (a 64 by 64 grid) at `size` pixels.
QPixmap PaintIndexerIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);

  QLinearGradient tile(0, 4, 0, 60);
  tile.setColorAt(0, QColor(0x4a, 0x7b, 0xd0));
  tile.setColorAt(1, QColor(0x2c, 0x51, 0x97));
  p.setPen(Qt::NoPen);
  p.setBrush(tile);
  p.drawRoundedRect(QRectF(4, 4, 56, 56), 12, 12);

  QPainterPath page;
  page.moveTo(17, 12);
  page.lineTo(37, 12);
  page.lineTo(45, 20);
  page.lineTo(45, 50);
  page.lineTo(17, 50);
  page.closeSubpath();
  p.setBrush(Qt::white);
  p.drawPath(page);
  QPainterPath fold;
  fold.moveTo(37, 12);
  fold.lineTo(37, 20);
  fold.lineTo(45, 20);
  fold.closeSubpath();
  p.setBrush(QColor(0xd5, 0xde, 0xf0));
  p.drawPath(fold);

  p.setPen(QPen(QColor(0x9a, 0xac, 0xcc), 2));
  p.drawLine(QPointF(22, 24), QPointF(40, 24));
  p.drawLine(QPointF(22, 29), QPointF(40, 29));
  p.drawLine(QPointF(22, 34), QPointF(34, 34));

  const QColor amber(0xf2, 0xa9, 0x3b);
  p.setPen(QPen(amber, 4));
  p.setBrush(QColor(0xe8, 0xee, 0xfb));
  p.drawEllipse(QPointF(39, 39), 8.5, 8.5);
  p.setPen(QPen(amber, 5.5, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(45, 45), QPointF(53, 53));
  return pixmap;
}

}  // namespace

QIcon IndexerIcon() {
  static const QIcon icon = [] {
    QIcon result;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) result.addPixmap(PaintIndexerIcon(size));
    return result;
  }();
  return icon;
}

QIcon ThemeIcon(const char* name, QStyle::StandardPixmap fallback) {
  if (QIcon::fallbackThemeName().isEmpty()) QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
  const QIcon themed = QIcon::fromTheme(QLatin1String(name));
  return themed.isNull() ? QApplication::style()->standardIcon(fallback) : themed;
}

}  // namespace vexa
