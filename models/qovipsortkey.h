#pragma once

#include <QString>

// Dotted IPv4 text as a number for sorting; parts that are not numbers count 0, empty gives 0.
quint32 qovIpSortKey(const QString &ipAddress);
