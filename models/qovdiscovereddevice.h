#pragma once

#include <QString>

// What discovery knows about a mixer before asking it anything: the identity from its
// description document and the address it answered from. Kept free of the device library's
// types so that models stay below it in the layering.
struct QovDiscoveredDevice
{
    QString serialNumber; // text as the device reports it; not necessarily a number
    QString udn;          // unique device name
    QString friendlyName;
    QString modelName;
    QString ipAddress; // dotted IPv4
};
