#include "app/qovmainwindow.h"

#include <QDebug>

QovMainWindow::QovMainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("Velmora"));
    resize(1280, 800);
    qDebug() << "main window created";
}

bool QovMainWindow::openProjectFile(const QString &path)
{
    qDebug() << "openProjectFile" << path;
    setWindowTitle(path);
    return true;
}
