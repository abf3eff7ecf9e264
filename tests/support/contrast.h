#pragma once

#include <QColor>

class QImage;
class QRect;
class QWidget;

namespace velmora::test {

// WCAG 2.1 contrast ratio of two colours, 1 to 21.
double contrastRatio(const QColor &a, const QColor &b);

// The colour most of the area's pixels have: the background a text is drawn on.
QColor commonestColour(const QImage &image, const QRect &area);

// How plainly `control` shows that it has the keyboard: the strongest contrast between a pixel
// of its area drawn without the focus and drawn with it, 1 when nothing changes. A focus that
// can be seen reaches 3. Leaves the focus on `control`; its window must be the active one.
double focusContrast(QWidget *control);

} // namespace velmora::test
