#include "dialogs/qovelidedlabel.h"

#include "views/qovwidgetfactory.h"

#include <QPainter>
#include <QStyleOption>

QovElidedLabel::QovElidedLabel(const QString &text, const QSize &size, const char *objectName)
    : QLabel(text)
{
    applyFixedSize(this, size);
    if (objectName) {
        setObjectName(QString::fromLatin1(objectName));
    }
    setToolTip(text);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void QovElidedLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    const QRect area = contentsRect();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, area.width());
    style()->drawItemText(&painter, area, int(alignment()), option.palette, isEnabled(), shown,
                          foregroundRole());
}
