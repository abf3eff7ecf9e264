#pragma once

#include <QColor>

class QImage;
class QRect;

namespace velmora::test {

// WCAG 2.1 contrast ratio of two colours, 1 to 21.
double contrastRatio(const QColor &a, const QColor &b);

// The colour most of the area's pixels have: the background a text is drawn on.
QColor commonestColour(const QImage &image, const QRect &area);

} // namespace velmora::test
