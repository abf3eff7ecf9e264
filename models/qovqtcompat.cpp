#include "models/qovqtcompat.h"

#include <QCoreApplication>
#include <QTextStream>

#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
#include <QStringConverter>
#else
#include <QTextCodec>
#endif

namespace QovQtCompat {

void enableHighDpiScaling()
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps, true);
#endif
}

void setUtf8(QTextStream &stream)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    stream.setEncoding(QStringConverter::Utf8);
#else
    stream.setCodec("UTF-8");
#endif
    stream.setAutoDetectUnicode(true);
}

bool hasWideByteOrderMark(const QByteArray &bytes)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    const auto found = QStringConverter::encodingForData(bytes);
    return found && *found != QStringConverter::Utf8;
#else
    QTextCodec *utf8 = QTextCodec::codecForMib(106);
    return QTextCodec::codecForUtfText(bytes, utf8) != utf8;
#endif
}

} // namespace QovQtCompat
