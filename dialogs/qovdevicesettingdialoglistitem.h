#pragma once

#include "models/qovappdevicemodel.h"
#include "models/qovdeviceselector.h"

#include <QString>
#include <QWidget>

#include <memory>

class QComboBox;
class QLineEdit;
class QPushButton;

// One entry of the device setting dialog's working list: the device object and the name and
// type the user gave it. Only name and type are written back to the device, and only on OK.
struct QovDeviceSettingEntry
{
    QovAppDeviceModel device;
    QString name;
    QovDeviceSelector::DeviceType type = QovDeviceSelector::ZEPH2208;
};

// A row of the device setting dialog. A device not yet bound to hardware can be renamed and
// given another model here; a bound one shows its model, ID and name as text. The row edits its
// entry in place; the dialog and the row share it. Its item in the list reads a summary of the
// row to screen readers, such as "ZEPH-2208, ID 3, FOH".
class QovDeviceSettingDialogListItem : public QWidget
{
    Q_OBJECT

public:
    QovDeviceSettingDialogListItem(std::shared_ptr<QovDeviceSettingEntry> entry, int number,
                                   QWidget *parent = nullptr);

    int number() const { return m_number; }
    // Null for a bound device.
    QLineEdit *nameEditor() const { return m_nameEdit; }
    QComboBox *typeSelector() const { return m_typeSelector; }

Q_SIGNALS:
    void deleteRequired(int number);

public Q_SLOTS:
    void onModelNameChanged(const QString &modelName);
    void onDeviceNameChanged(const QString &deviceName);
    void onDeviceNameEditFinished();

private:
    QWidget *makeModelColumn();
    QWidget *makeNameColumn();
    // What a screen reader says for the row and its delete button; called whenever the model
    // or the name changes.
    void updateAccessibleTexts();

    std::shared_ptr<QovDeviceSettingEntry> m_entry;
    int m_number;
    QLineEdit *m_nameEdit = nullptr;
    QComboBox *m_typeSelector = nullptr;
    QPushButton *m_deleteButton = nullptr;
};
