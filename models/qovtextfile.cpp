#include "models/qovtextfile.h"

#include "models/qovqtcompat.h"

#include <QDebug>
#include <QFile>
#include <QTextStream>
#include <QThread>

QString loadTextFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qDebug() << "cannot open file" << path;
        return QString();
    }
    QTextStream stream(&file);
    QovQtCompat::setUtf8(stream);
    const QString text = stream.readAll();
    qDebug() << QThread::currentThreadId() << "loaded file" << path << text.size();
    return text;
}

bool saveTextFile(const QString &path, const QString &text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    QTextStream stream(&file);
    QovQtCompat::setUtf8(stream);
    stream << text;
    stream.flush();
    file.close();
    return true;
}
