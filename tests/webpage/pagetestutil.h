#pragma once

#include "models/qovappdevicemodel.h"
#include "models/qovdeviceselector.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

class QWebEnginePage;
class QWebEngineView;

namespace pagetest {

// Puts a test page from tests/webpage/data where the program looks for the settings page of
// both supported types. Each test executable has a folder of its own, so tests never share one.
// Companions are copied beside it under their own names.
void installPage(const QString &dataFile, const QStringList &companions = {});
// Removes the installed settings pages (the page file then is missing from disk).
void removePages();

// A project device of this name, model and header colour.
QovAppDeviceModel device(const QString &name,
                         QovDeviceSelector::DeviceType type = QovDeviceSelector::ZEPH2208,
                         int color = 0);
// Runs a script in the page and waits for its result; an invalid variant on time-out.
QVariant evalJs(QWebEnginePage *page, const QString &script, int timeoutMs = 5000);
// A text as a script literal.
QString jsString(const QString &text);
// Waits until the page has set up its web channel (the test pages set their title "ready").
bool waitReady(QWebEngineView *view, int timeoutMs = 15000);

} // namespace pagetest
