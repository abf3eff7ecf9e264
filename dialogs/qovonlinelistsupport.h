#pragma once

#include "models/qovonlinedevicemodel.h"

#include <QList>
#include <QSize>

class QLabel;
class QovSortLabel;

// What the dialogs that list online mixers share in handling their list.

// The clicked label takes its next order (none or descending -> ascending -> descending), the
// others are reset, and the finder sorts its own list by that column. False when `target` is
// not one of `labels` (columns: device name, IP address, device ID).
bool sortFinderBy(const QList<QovSortLabel *> &labels, QovSortLabel *target);

// A row of a dialog's list was dragged from `start` to before `row`. The rows are a filtered,
// regrouped view of the finder's list, so the move is translated into the finder's indices:
// the dragged mixer lands before the mixer that was shown at `row` (or after the last shown).
void moveFinderDevice(const QList<QovOnlineDeviceModel> &shown, int start, int row);

// A line that tells how a request ended, such as a mixer asked for by its address. Assistive
// technology knows it as a status bar and hears every text that announceStatus puts there,
// wherever the keyboard is: a screen reader would otherwise never learn that it changed.
QLabel *makeStatusNote(const QSize &size, const char *objectName);
void announceStatus(QLabel *note, const QString &text);
