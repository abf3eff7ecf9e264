#include "app/qovtopwindow.h"

#include <QDebug>

QovTopWindow::QovTopWindow(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("Velmora"));
    resize(960, 640);
    qDebug() << "top window created";
}
