#pragma once

#include "models/qovappdevicemodel.h"

#include <QWidget>

class QAction;
class QLabel;
class QPushButton;
class QovMainWindowBase;

// One row of the project page: number, picture, name and model of a project device, its
// addresses, id and connection status, a status menu (Connect, Reconnect, Disconnect) and a
// chevron. A click on the row opens the device's settings page. The row's item in the list reads
// a summary of the row to screen readers, such as "FOH, ZEPH-2208, 127.0.0.5, ID 3, Connected".
class QovProjectDeviceListItemView : public QWidget
{
    Q_OBJECT

public:
    // `number` is the 1-based row number shown; `index` the device's position in the project,
    // which stays right however the rows are sorted.
    QovProjectDeviceListItemView(quint32 number, quint32 index, QovAppDeviceModel device,
                                 QovMainWindowBase *mainWindow, QWidget *parent = nullptr);

    quint32 number() const { return m_number; }
    quint32 index() const { return m_index; }
    QovAppDeviceModel device() const { return m_device; }
    QPushButton *statusButton() const { return m_statusButton; }
    QList<QAction *> statusActions() const;

public Q_SLOTS:
    void onDeviceSelected();

private Q_SLOTS:
    void updateDeviceName();
    void updateIpAddress();
    void updateDeviceId();
    void fixStatusWidth();
    void updateStatus(QovAppDeviceModelInternal::Status status);

private:
    QWidget *makeIdentityBlock();
    // What a screen reader says for the row and its status button; called wherever the row's
    // texts change.
    void updateAccessibleTexts();

    quint32 m_number;
    quint32 m_index;
    QovAppDeviceModel m_device;
    QovMainWindowBase *m_mainWindow;
    QLabel *m_nameLabel;
    QLabel *m_addressLabel;
    QLabel *m_idLabel;
    QLabel *m_statusText;
    QLabel *m_statusIcon;
    QString m_statusWord;
    QPushButton *m_statusButton = nullptr;
    QAction *m_connectAction;
    QAction *m_reconnectAction;
    QAction *m_disconnectAction;
};
