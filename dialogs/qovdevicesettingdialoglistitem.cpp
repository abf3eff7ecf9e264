#include "dialogs/qovdevicesettingdialoglistitem.h"

#include "dialogs/qovtextvalidators.h"
#include "models/qovtextrules.h"
#include "views/qovrowsummary.h"
#include "views/qovwidgetfactory.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

QovDeviceSettingDialogListItem::QovDeviceSettingDialogListItem(
    std::shared_ptr<QovDeviceSettingEntry> entry, int number, QWidget *parent)
    : QWidget(parent)
    , m_entry(std::move(entry))
    , m_number(number)
{
    setFixedSize(608, 48);
    // Rows are counted from 1, so the first row is odd and takes the "even-line" look.
    setObjectName(number % 2 == 1 ? QStringLiteral("even-line") : QStringLiteral("odd-line"));
    setAttribute(Qt::WA_StyledBackground);

    auto *layout = makeHBoxLayout(0, 16, Qt::AlignLeft | Qt::AlignVCenter);
    // Room on the right for the list's scroll bar, which would otherwise cover the bin.
    layout->setContentsMargins(4, 0, 24, 0);
    layout->addWidget(
        makeLabel(QString::number(number), QSize(28, 32), "device-number", Qt::AlignCenter));
    layout->addWidget(makeModelColumn());
    layout->addWidget(makeNameColumn());
    layout->addStretch();
    m_deleteButton = makeIconButton(QStringLiteral(":/icons/ic_trash.svg"), QSize(18, 18));
    m_deleteButton->setToolTip(tr("Delete"));
    connect(m_deleteButton, &QPushButton::clicked, this,
            [this] { Q_EMIT deleteRequired(m_number); });
    layout->addWidget(m_deleteButton);
    setLayout(layout);
    updateAccessibleTexts();
}

QWidget *QovDeviceSettingDialogListItem::makeModelColumn()
{
    const QovAppDeviceModel &device = m_entry->device;
    if (device->status() != QovAppDeviceModelInternal::DISCONNECTED) {
        return makeLabel(
            tr("%1 [%2]").arg(QovDeviceSelector::modelName(m_entry->type)).arg(device->deviceId()),
            QSize(150, 34), "device-type-selector");
    }
    m_typeSelector = makeComboBox("device-type-selector", tr("Model"));
    m_typeSelector->setFixedSize(150, 32);
    for (QovDeviceSelector::DeviceType type : QovDeviceSelector::supportedTypes()) {
        m_typeSelector->addItem(QovDeviceSelector::modelName(type));
    }
    m_typeSelector->setCurrentText(QovDeviceSelector::modelName(m_entry->type));
    connect(m_typeSelector, &QComboBox::currentTextChanged, this,
            &QovDeviceSettingDialogListItem::onModelNameChanged);
    return m_typeSelector;
}

QWidget *QovDeviceSettingDialogListItem::makeNameColumn()
{
    if (m_entry->device->status() != QovAppDeviceModelInternal::DISCONNECTED) {
        return makeLabel(m_entry->name, QSize(318, 16), "device-type-selector");
    }
    m_nameEdit = makeLineEdit(m_entry->name, QString(), QSize(320, 32));
    m_nameEdit->setAccessibleName(tr("Name of device %1").arg(m_number));
    m_nameEdit->setMaxLength(QovTextRules::deviceNameLength);
    m_nameEdit->setValidator(makeDeviceNameValidator(m_nameEdit));
    connect(m_nameEdit, &QLineEdit::textChanged, this,
            &QovDeviceSettingDialogListItem::onDeviceNameChanged);
    connect(m_nameEdit, &QLineEdit::editingFinished, this,
            &QovDeviceSettingDialogListItem::onDeviceNameEditFinished);
    return m_nameEdit;
}

void QovDeviceSettingDialogListItem::onModelNameChanged(const QString &modelName)
{
    m_entry->type = QovDeviceSelector::typeFromModelName(modelName);
    updateAccessibleTexts();
}

void QovDeviceSettingDialogListItem::onDeviceNameChanged(const QString &deviceName)
{
    m_entry->name = deviceName;
    updateAccessibleTexts();
}

void QovDeviceSettingDialogListItem::onDeviceNameEditFinished()
{
    const QString trimmed = m_entry->name.trimmed();
    m_entry->name = trimmed;
    if (m_nameEdit && m_nameEdit->text() != trimmed) {
        m_nameEdit->setText(trimmed);
    }
}

void QovDeviceSettingDialogListItem::updateAccessibleTexts()
{
    const QString &name = m_entry->name;
    m_deleteButton->setAccessibleName(
        tr("Delete %1").arg(name.trimmed().isEmpty() ? tr("device %1").arg(m_number) : name));
    // A bound device shows its ID beside its model.
    const bool bound = !m_typeSelector;
    qovSetRowSummary(
        this,
        qovJoinSummary({QovDeviceSelector::modelName(m_entry->type),
                        bound ? tr("ID %1").arg(m_entry->device->deviceId()) : QString(), name}));
}
