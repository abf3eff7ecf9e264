#pragma once

#include <QJsonObject>
#include <QString>

namespace velmora::test {

// The first device entry of the project file at `path`, as JSON; empty when the file cannot
// be read or holds no device. For tests that look at what a written file records.
QJsonObject firstDeviceIn(const QString &path);

} // namespace velmora::test
