#include "views/qovmainwindowbase.h"

QovMainWindowBase::QovMainWindowBase(QWidget *parent)
    : QStackedWidget(parent)
{
}
