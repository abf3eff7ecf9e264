#include "views/qovprogressview.h"

#include "views/qovwidgetfactory.h"

#include <QEvent>
#include <QLabel>
#include <QMovie>
#include <QVBoxLayout>

QovProgressView::QovProgressView(QWidget *covered)
    : QWidget(covered)
    , m_covered(covered)
{
    QPalette shade = palette();
    shade.setColor(QPalette::All, QPalette::Window, QColor(QStringLiteral("#88000000")));
    setPalette(shade);
    setAutoFillBackground(true);

    auto *movie = new QMovie(QStringLiteral(":/images/progress.gif"), QByteArray(), this);
    movie->setScaledSize(QSize(200, 200));
    auto *animation = new QLabel();
    animation->setMovie(movie);
    animation->setFixedSize(200, 200);
    auto *layout = makeVBoxLayout(0, 0, Qt::AlignCenter);
    layout->addWidget(animation);
    setLayout(layout);
    movie->start();

    hide();
    // A window resized while busy must stay covered to its new edges.
    m_covered->installEventFilter(this);
}

void QovProgressView::coverWindow()
{
    setGeometry(m_covered->rect());
    raise();
}

void QovProgressView::showEvent(QShowEvent *event)
{
    coverWindow();
    QWidget::showEvent(event);
}

bool QovProgressView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_covered && event->type() == QEvent::Resize && isVisible()) {
        coverWindow();
    }
    return QWidget::eventFilter(watched, event);
}
