// ElidedLabel: a one-line label that shortens a long text with "…" in the middle
// instead of growing its window, and shows the whole text as its tool tip.
// Thread-safety: GUI thread only.
#pragma once

#include <QLabel>

namespace vexa {

class ElidedLabel : public QLabel {
 public:
  explicit ElidedLabel(QWidget* parent = nullptr);

  // The full text; the label paints as much of it as fits.
  void SetFullText(const QString& text);
  const QString& FullText() const { return full_; }

  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString full_;
};

}  // namespace vexa
