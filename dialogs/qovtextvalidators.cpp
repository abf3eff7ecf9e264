#include "dialogs/qovtextvalidators.h"

#include <QRegularExpression>
#include <QRegularExpressionValidator>

QValidator *makeProjectTextValidator(QObject *parent)
{
    static const QRegularExpression pattern(QStringLiteral("[^\"\\\\%&/<>]*"));
    return new QRegularExpressionValidator(pattern, parent);
}

QValidator *makeDeviceNameValidator(QObject *parent)
{
    static const QRegularExpression pattern(
        QStringLiteral("[ !#$'()*+,\\-.:;=?@[\\]^_`{|}~0-9A-Za-z]+"));
    return new QRegularExpressionValidator(pattern, parent);
}
