#pragma once

#include <QLabel>

// A one-line label that ends its text with "..." when it does not fit, and shows the whole
// text as its tooltip. Elided when painted, so the style sheet's font is the one measured.
class QovElidedLabel : public QLabel
{
    Q_OBJECT

public:
    QovElidedLabel(const QString &text, const QSize &size, const char *objectName = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
