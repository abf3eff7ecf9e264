#include "views/qovprojectviewdevicelist.h"

#include "views/qovwidgetfactory.h"

QovProjectViewDeviceList::QovProjectViewDeviceList(int width, int itemSpacing, QWidget *parent)
    : QListWidget(parent)
{
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    applyFixedSize(this, QSize(width, 0));
    setSpacing(itemSpacing);
    setFrameShape(QFrame::NoFrame);
}

void QovProjectViewDeviceList::holdRowPlacement(bool hold)
{
    m_holdRowPlacement = hold;
    if (!hold) {
        scheduleDelayedItemsLayout();
    }
}

// A visible list lays out all its rows and places every row widget each time a row is added,
// which makes adding n rows cost n * n.
void QovProjectViewDeviceList::updateEditorGeometries()
{
    if (!m_holdRowPlacement) {
        QListWidget::updateEditorGeometries();
    }
}
