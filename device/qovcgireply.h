#pragma once

#include "device/qovcgiapi.h"

#include <QByteArray>
#include <QJsonObject>

// How a mixer's CGI replies are read: pure functions, so tests and the fuzzer need no mixer.
namespace QovCgiReply {

// The reply body as a JSON object; an empty object when it is not one.
QJsonObject object(const QByteArray &body);
// "rcode" as an integer; 9999 when missing, not a number or the body is no JSON object.
int rcode(const QByteArray &body);
// Success means rcode 1.
bool succeeded(const QByteArray &body);
// A "gdeviceinfo.cgi" reply. Every field is filled from whatever the reply holds; `error` is
// empty for rcode 1, "FW updating" for rcode 7 and "unknown Error" otherwise.
QovCgiApi::DeviceInfo deviceInfo(const QByteArray &body);

} // namespace QovCgiReply
