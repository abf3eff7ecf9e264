#include "dialogs/qovonlinelistsupport.h"

#include "discovery/qovonlinedevicefinder.h"
#include "views/qovsortlabel.h"

#include <QModelIndex>

bool sortFinderBy(const QList<QovSortLabel *> &labels, QovSortLabel *target)
{
    const int column = labels.indexOf(target);
    if (column < 0) {
        return false;
    }
    const QovSortLabel::SortOrder next = target->order() == QovSortLabel::ASCENDING
                                             ? QovSortLabel::DESCENDING
                                             : QovSortLabel::ASCENDING;
    for (QovSortLabel *label : labels) {
        label->setOrder(label == target ? next : QovSortLabel::NONE);
    }
    QovOnlineDeviceFinder::instance()->sortBy(column, next);
    return true;
}

void moveFinderDevice(const QList<QovOnlineDeviceModel> &shown, int start, int row)
{
    if (start < 0 || start >= shown.size() || row < 0) {
        return;
    }
    QovOnlineDeviceFinder *finder = QovOnlineDeviceFinder::instance();
    const QList<QovOnlineDeviceModel> all = finder->getAll();
    const int from = all.indexOf(shown.at(start));
    int to;
    if (row < shown.size()) {
        to = all.indexOf(shown.at(row));
    } else {
        to = all.indexOf(shown.last()) + 1;
    }
    if (from < 0 || to < 0) {
        return;
    }
    finder->moveDevice(QModelIndex(), from, from, QModelIndex(), to);
}
