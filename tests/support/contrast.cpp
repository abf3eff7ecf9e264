#include "contrast.h"

#include <QApplication>
#include <QHash>
#include <QImage>
#include <QRect>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace velmora::test {

double contrastRatio(const QColor &a, const QColor &b)
{
    const auto luminance = [](const QColor &c) {
        const auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor commonestColour(const QImage &image, const QRect &area)
{
    const QRect inside = area & image.rect();
    QHash<QRgb, int> counts;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            ++counts[image.pixel(x, y) | 0xff000000u];
        }
    }
    // The first of the most frequent; black for an empty area.
    const auto best = std::max_element(counts.constBegin(), counts.constEnd());
    return QColor(best == counts.constEnd() ? 0 : best.key());
}

double focusContrast(QWidget *control)
{
    QWidget *window = control->window();
    const auto shot = [window] {
        QApplication::processEvents();
        return window->grab().toImage();
    };
    control->clearFocus();
    const QImage without = shot();
    control->setFocus(Qt::TabFocusReason);
    const QImage with = shot();
    const QRect area = QRect(control->mapTo(window, QPoint(0, 0)) * with.devicePixelRatio(),
                             control->size() * with.devicePixelRatio()) &
                       with.rect();
    double strongest = 1.0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            strongest =
                std::max(strongest, contrastRatio(without.pixelColor(x, y), with.pixelColor(x, y)));
        }
    }
    return strongest;
}

} // namespace velmora::test
