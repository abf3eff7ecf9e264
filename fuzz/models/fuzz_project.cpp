// Any bytes given to the project loader, as the program reads a file: no crash, hang or leak;
// the outcome is the one for the text a text stream decodes from the bytes; text Qt's parser
// refuses is refused; the outcome does not depend on whether the reader could split the text
// at its devices; a rejected file names a known key; an accepted one writes a file that reads
// back to the same content.
#include "models/qovjsonscan.h"
#include "models/qovprojectdatamodel.h"
#include "models/qovqtcompat.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QString>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <stdlib.h>

namespace {
void fail(const char *what, const QString &detail)
{
    std::fprintf(stderr, "%s: %s\n", what, qPrintable(detail));
    std::abort();
}

// Member order of one object, as Qt 5 keeps it, is not canonical for keys holding U+0000: its
// parser and its insert order such keys differently, so the same members can be written in
// two orders. Compare the content with members in exact code-unit order instead.
QString canonical(const QJsonValue &value)
{
    if (value.isObject()) {
        const QJsonObject object = value.toObject();
        std::map<QString, QString> members;
        for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
            members.emplace(it.key(), canonical(it.value()));
        }
        QString text = QStringLiteral("{");
        for (const auto &[key, member] : members) {
            text += canonical(QJsonValue(key)) + QLatin1Char(':') + member + QLatin1Char(',');
        }
        return text + QLatin1Char('}');
    }
    if (value.isArray()) {
        QString text = QStringLiteral("[");
        for (const QJsonValue &item : value.toArray()) {
            text += canonical(item) + QLatin1Char(',');
        }
        return text + QLatin1Char(']');
    }
    return QString::fromUtf8(QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact));
}

QString canonicalText(const QString &json)
{
    return canonical(QJsonDocument::fromJson(json.toUtf8()).object());
}

std::unique_ptr<QovProjectDataModel> parse(const QString &text, QString *error)
{
    auto [model, key] = parseProject(text);
    *error = key;
    return std::unique_ptr<QovProjectDataModel>(model);
}

std::unique_ptr<QovProjectDataModel> load(const QByteArray &bytes, QString *error)
{
    auto [model, key] = parseProjectBytes(bytes);
    *error = key;
    return std::unique_ptr<QovProjectDataModel>(model);
}

// What a text stream makes of the bytes: the reference for the loader's decoding.
QString streamText(const QByteArray &bytes)
{
    QTextStream stream(bytes);
    QovQtCompat::setUtf8(stream);
    return stream.readAll();
}
} // namespace

// The text with its "devices" named through an escape, which the reader cannot split at its
// devices and so parses whole; empty when the text has no such member to rename.
QByteArray unsplittable(const QByteArray &text)
{
    QVector<QovJsonScan::Member> members;
    if (!QovJsonScan::members(text, &members)) {
        return QByteArray();
    }
    for (const QovJsonScan::Member &member : members) {
        if (member.name == "devices") {
            QByteArray out = text;
            return out.replace(int(member.name.constData() - text.constData()), 7, "d\\u0065vices");
        }
    }
    return QByteArray();
}

void checkSplitReadsAsWhole(const QString &text, const QovProjectDataModel *model,
                            const QString &error)
{
    const QByteArray utf8 = text.toUtf8();
    if (QJsonDocument::fromJson(utf8).isNull()) {
        if (model || !error.isEmpty()) {
            fail("text that is not JSON read", error);
        }
        return;
    }
    const QByteArray whole = unsplittable(utf8);
    if (whole.isEmpty()) {
        return;
    }
    QString wholeError;
    // With its size: QString::fromUtf8(QByteArray) would stop at a NUL byte.
    const auto wholeModel = parse(QString::fromUtf8(whole.constData(), whole.size()), &wholeError);
    if (bool(model) != bool(wholeModel) || error != wholeError) {
        fail("split and whole reading disagree", error + QStringLiteral(" / ") + wholeError);
    }
    if (model && canonicalText(model->toJsonText()) != canonicalText(wholeModel->toJsonText())) {
        fail("split and whole reading read different content", model->toJsonText());
    }
}

// Qt 5.15's JSON parser loses the dropped value of a duplicate key when that value is an
// array or object ({"a":[{}],"a":[]} leaks in a five-line program with no code of ours).
// Leaks of our own allocations have no Qt frame on their stack and are still reported.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libQt5Core.so.5\n";
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The device limit comes from the settings file: use the defaults, not the user's file.
    static char folder[] = "/tmp/fuzz_project.XXXXXX";
    if (::mkdtemp(folder)) {
        qputenv("XDG_CONFIG_HOME", folder);
        qputenv("XDG_DATA_HOME", folder);
    }
    qSetMessagePattern(QStringLiteral("%{if-category}%{endif}"));
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    return 0;
}

// The fields the reader names when it refuses a file; a bad data set by its member.
const char kKnownErrorKeys[] = "^(version|title|author|dealer|comment|devices|"
                               "device\\[\\d+\\]\\.(name|model|mac|color|id|data\\.("
                               "(preset_list|partial_list)(\\[\\d+\\])?|eq4_lib|eq12_lib|\\*)))$";

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QRegularExpression knownKey(QString::fromLatin1(kKnownErrorKeys));

    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    QString error;
    const auto model = load(bytes, &error);
    QString streamError;
    const auto streamed = parse(streamText(bytes), &streamError);
    if (bool(model) != bool(streamed) || error != streamError) {
        fail("loader and text stream disagree", error + QStringLiteral(" / ") + streamError);
    }
    if (model && canonicalText(model->toJsonText()) != canonicalText(streamed->toJsonText())) {
        fail("loader and text stream read different content", model->toJsonText());
    }
    checkSplitReadsAsWhole(streamText(bytes), streamed.get(), streamError);
    if (!model) {
        if (!error.isEmpty() && !knownKey.match(error).hasMatch()) {
            fail("unknown error key", error);
        }
        return 0;
    }
    if (!error.isEmpty()) {
        fail("model with an error", error);
    }
    const QString written = model->toJsonText();
    QString again;
    const auto reread = parse(written, &again);
    if (!reread) {
        fail("written project does not read back", again);
    }
    if (canonicalText(reread->toJsonText()) != canonicalText(written)) {
        fail("read back differs",
             written + QStringLiteral("\nread back as: ") + reread->toJsonText());
    }
    return 0;
}
