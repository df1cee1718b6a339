#pragma once

#include <QFont>
#include <QStringList>

class QWidget;

// The font, made smaller (never larger) until every text fits in `width` pixels, so captions
// laid out for a narrow interface font stay whole with wider fonts.
QFont FontFittingWidth(QFont font, const QStringList& texts, int width);
// The same for one widget's own font and caption.
void FitFontToWidth(QWidget* widget, const QString& text, int width);
