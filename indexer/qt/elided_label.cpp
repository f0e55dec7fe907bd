#include "indexer/qt/elided_label.h"

#include <QPainter>

namespace vexa {

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  setTextFormat(Qt::PlainText);
}

void ElidedLabel::SetFullText(const QString& text) {
  full_ = text;
  setText(text);
  setToolTip(text);
}

QSize ElidedLabel::minimumSizeHint() const {
  return {fontMetrics().averageCharWidth() * 4, QLabel::minimumSizeHint().height()};
}

void ElidedLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect area = contentsRect();
  painter.drawText(area, int(alignment()),
                   fontMetrics().elidedText(full_, Qt::ElideMiddle, area.width()));
}

}  // namespace vexa
