#pragma once

#include <QStringList>

class QListWidget;
class QListWidgetItem;
class QWidget;

// What a screen reader says for a row of a list whose rows are widgets: it reads the row's
// item, which shows nothing of its own, and not the widget drawn over it. So each row widget
// sums up what it shows, in the order shown, wherever it sets those texts, and its item reads
// that summary as its accessible text.

// Sets the summary of `row`. Its item, once placed with qovSetRowWidget, reads it at once.
void qovSetRowSummary(QWidget *row, const QString &summary);
// Shows `row` over `item`, as QListWidget::setItemWidget does, and gives the item the row's
// summary, then and whenever it changes.
void qovSetRowWidget(QListWidget *list, QListWidgetItem *item, QWidget *row);
// The parts of a summary that show something, joined by commas: "FOH, 127.0.0.5, ID 3".
QString qovJoinSummary(const QStringList &parts);
// An address as the program writes it: the IP address, and the MAC address after it when known.
QString qovAddressSummary(const QString &ipAddress, const QString &macAddress);
