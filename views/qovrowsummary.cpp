#include "views/qovrowsummary.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QListWidget>
#include <QPersistentModelIndex>

namespace {

const char kSummaryProperty[] = "row-summary";
const char kIndexProperty[] = "row-summary-index";

// The list `row` was placed in: row widgets live in its viewport.
QListWidget *listOf(const QWidget *row)
{
    const QWidget *viewport = row->parentWidget();
    return viewport ? qobject_cast<QListWidget *>(viewport->parentWidget()) : nullptr;
}

// The item under `row` reads the row's summary. A persistent index follows the row when rows
// move, and is invalid once the item is gone, while the row itself may still wait for its
// deletion.
void giveSummaryToItem(QWidget *row)
{
    const auto index = row->property(kIndexProperty).value<QPersistentModelIndex>();
    QListWidget *list = listOf(row);
    if (!index.isValid() || !list || index.model() != list->model()) {
        return;
    }
    const QString summary = row->property(kSummaryProperty).toString();
    if (index.data(Qt::AccessibleTextRole).toString() == summary) {
        return;
    }
    list->model()->setData(index, summary, Qt::AccessibleTextRole);
    if (QAccessible::isActive()) {
        // A screen reader that has read the row already hears that its name changed.
        QAccessibleInterface *table = QAccessible::queryAccessibleInterface(list);
        QAccessibleTableInterface *cells = table ? table->tableInterface() : nullptr;
        if (QAccessibleInterface *cell = cells ? cells->cellAt(index.row(), 0) : nullptr) {
            QAccessibleEvent event(cell, QAccessible::NameChanged);
            QAccessible::updateAccessibility(&event);
        }
    }
}

} // namespace

void qovSetRowSummary(QWidget *row, const QString &summary)
{
    row->setProperty(kSummaryProperty, summary);
    giveSummaryToItem(row);
}

void qovSetRowWidget(QListWidget *list, QListWidgetItem *item, QWidget *row)
{
    list->setItemWidget(item, row);
    const QModelIndex index = list->model()->index(list->row(item), 0);
    row->setProperty(kIndexProperty, QVariant::fromValue(QPersistentModelIndex(index)));
    giveSummaryToItem(row);
}

QString qovJoinSummary(const QStringList &parts)
{
    QStringList shown;
    for (const QString &part : parts) {
        const QString simple = part.simplified();
        if (!simple.isEmpty()) {
            shown << simple;
        }
    }
    return shown.join(QStringLiteral(", "));
}

QString qovAddressSummary(const QString &ipAddress, const QString &macAddress)
{
    return macAddress.isEmpty()
               ? ipAddress
               : QCoreApplication::translate("QovRowSummary", "%1 (%2)").arg(ipAddress, macAddress);
}
