#pragma once

#include <QString>

// Whole-file text I/O in UTF-8, shared by start-up (style sheet) and the project files.
QString loadTextFile(const QString &path);
bool saveTextFile(const QString &path, const QString &text);
