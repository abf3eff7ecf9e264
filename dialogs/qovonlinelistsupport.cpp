#include "dialogs/qovonlinelistsupport.h"

#include "discovery/qovonlinedevicefinder.h"
#include "views/qovsortlabel.h"
#include "views/qovwidgetfactory.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>
#include <QModelIndex>

namespace {

const char kStatusNote[] = "velmora-status-note";

// A status note as assistive technology sees it: a status bar whose name is its text.
class StatusNoteAccessible : public QAccessibleWidget
{
public:
    explicit StatusNoteAccessible(QLabel *label)
        : QAccessibleWidget(label, QAccessible::StatusBar)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            return static_cast<const QLabel *>(widget())->text();
        }
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *statusNoteInterface(const QString &, QObject *object)
{
    auto *label = qobject_cast<QLabel *>(object);
    return label && label->property(kStatusNote).toBool() ? new StatusNoteAccessible(label)
                                                          : nullptr;
}

} // namespace

QLabel *makeStatusNote(const QSize &size, const char *objectName)
{
    static const bool installed = [] {
        QAccessible::installFactory(statusNoteInterface);
        return true;
    }();
    Q_UNUSED(installed)
    QLabel *note = makeLabel(QString(), size, objectName);
    // Before anything asks for its interface, which is made once per object.
    note->setProperty(kStatusNote, true);
    return note;
}

void announceStatus(QLabel *note, const QString &text)
{
    note->setText(text);
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleAnnouncementEvent event(note, text);
#else
    // Screen readers speak an alert from anywhere in the window; the text is the note's name.
    QAccessibleEvent event(note, QAccessible::Alert);
#endif
    QAccessible::updateAccessibility(&event);
}

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
