#include "dialogs/qovtextvalidators.h"

#include "models/qovtextrules.h"

#include <QValidator>

namespace {

// A character the file cannot hold is refused as it is typed, so the editor never shows it.
class ProjectTextValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        return QovTextRules::isPlainText(input) ? Acceptable : Invalid;
    }
};

class DeviceNameValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        if (input.isEmpty()) {
            return Intermediate;
        }
        return QovTextRules::isDeviceName(input) ? Acceptable : Invalid;
    }
};

} // namespace

QValidator *makeProjectTextValidator(QObject *parent)
{
    return new ProjectTextValidator(parent);
}

QValidator *makeDeviceNameValidator(QObject *parent)
{
    return new DeviceNameValidator(parent);
}
