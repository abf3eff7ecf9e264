// Writes the settings pages' copy of the project's text rules (textrules.js) from
// models/qovtextrules, so that what a page lets the user type is what the project file holds.
// Run at build time; the pages load the file before model.js.

#include "models/qovtextrules.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.js\n", argv[0]);
        return 2;
    }
    // Every UTF-16 unit is asked, so a rule that grows past ASCII reaches the page as well.
    QString nameCharacters;
    for (int unit = 0; unit <= 0xffff; ++unit) {
        const QString one(QChar(static_cast<char16_t>(unit)));
        if (QovTextRules::isDeviceName(one)) {
            nameCharacters.append(one);
        }
    }
    const QJsonObject rules{
        {QStringLiteral("deviceNameLength"), QovTextRules::deviceNameLength},
        {QStringLiteral("deviceNameCharacters"), nameCharacters},
    };
    QFile out(QString::fromLocal8Bit(argv[1]));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    out.write("// Made at build time from models/qovtextrules by tools/pagerules: do not edit.\n"
              "// Loads as a classic script in the page (global VelmoraTextRules) and as a\n"
              "// CommonJS module in node.\n"
              "var VelmoraTextRules = ");
    out.write(QJsonDocument(rules).toJson(QJsonDocument::Indented).trimmed());
    out.write(";\nif (typeof module === 'object' && module.exports) {\n"
              "  module.exports = VelmoraTextRules;\n}\n");
    return out.error() == QFileDevice::NoError && out.flush() ? 0 : 1;
}
