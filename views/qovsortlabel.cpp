#include "views/qovsortlabel.h"

#include "views/qovwidgetfactory.h"

#include <QHBoxLayout>
#include <QLabel>

namespace {

struct OrderLook
{
    const char *iconPath;
    QSize iconSize;
};

// What a screen reader says of the header besides its name: the arrow, in words.
QString orderDescription(QovSortLabel::SortOrder order)
{
    switch (order) {
    case QovSortLabel::ASCENDING:
        return QovSortLabel::tr("Sorted ascending");
    case QovSortLabel::DESCENDING:
        return QovSortLabel::tr("Sorted descending");
    case QovSortLabel::NONE:
        break;
    }
    return QovSortLabel::tr("Not sorted");
}

bool lookFor(QovSortLabel::SortOrder order, OrderLook *look)
{
    switch (order) {
    case QovSortLabel::NONE:
        *look = {":/icons/ic_arrow_drop_down_48px.svg", QSize(20, 20)};
        return true;
    case QovSortLabel::ASCENDING:
        *look = {":/icons/ic_arrow_upward_48px.svg", QSize(14, 20)};
        return true;
    case QovSortLabel::DESCENDING:
        *look = {":/icons/ic_arrow_downward_48px.svg", QSize(14, 20)};
        return true;
    }
    return false;
}

} // namespace

QovSortLabel::QovSortLabel(QWidget *parent)
    : QPushButton(parent)
{
    qRegisterMetaType<QovSortLabel::SortOrder>();
    m_textLabel = new QLabel(this);
    m_textLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_iconLabel = new QLabel(this);
    m_iconLabel->setAlignment(Qt::AlignCenter);
    // Clicks must reach the button, not stop at the labels on top of it.
    m_textLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_iconLabel->setAttribute(Qt::WA_TransparentForMouseEvents);

    auto *layout = makeHBoxLayout(0, 0, Qt::AlignLeft | Qt::AlignVCenter);
    layout->addWidget(m_textLabel);
    layout->addWidget(m_iconLabel);
    setLayout(layout);

    setIconSize(QSize(20, 20));
    setArrowIcon(makeIcon(QStringLiteral(":/icons/ic_arrow_drop_down.svg")));
    setAccessibleDescription(orderDescription(m_order));
}

QString QovSortLabel::text() const
{
    return m_textLabel->text();
}

void QovSortLabel::setText(const QString &text)
{
    m_textLabel->setText(text);
    // The text is drawn by a label on top; the button itself would read as unnamed.
    setAccessibleName(text);
    updateGeometry();
}

void QovSortLabel::setArrowIcon(const QIcon &icon)
{
    m_iconLabel->setPixmap(icon.pixmap(iconSize(), QIcon::Normal, QIcon::Off));
    m_iconLabel->setFixedSize(iconSize());
}

QSize QovSortLabel::sizeHint() const
{
    return layout()->sizeHint();
}

QSize QovSortLabel::minimumSizeHint() const
{
    return layout()->minimumSize();
}

void QovSortLabel::setOrder(QovSortLabel::SortOrder order)
{
    if (order == m_order) {
        return;
    }
    m_order = order;
    OrderLook look;
    if (lookFor(order, &look)) {
        setIconSize(look.iconSize);
        setArrowIcon(makeIcon(QString::fromLatin1(look.iconPath)));
    }
    // Tells assistive technology as well, which reads the change out on a focused header.
    setAccessibleDescription(orderDescription(order));
    Q_EMIT orderChanged(order);
}
