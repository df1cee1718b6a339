#include "fontfit.h"

#include <QFontMetrics>
#include <QWidget>

QFont FontFittingWidth(QFont font, const QStringList& texts, int width) {
  const bool pixels = font.pixelSize() > 0;
  int size = pixels ? font.pixelSize() : font.pointSize();
  const auto fits = [&] {
    const QFontMetrics metrics(font);
    for (const QString& text : texts) {
      if (metrics.horizontalAdvance(text) > width) return false;
    }
    return true;
  };
  while (size > 6 && !fits()) {
    --size;
    pixels ? font.setPixelSize(size) : font.setPointSize(size);
  }
  return font;
}

void FitFontToWidth(QWidget* widget, const QString& text, int width) {
  widget->setFont(FontFittingWidth(widget->font(), {text}, width));
}
