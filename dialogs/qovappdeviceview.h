#pragma once

#include "models/qovappdevicemodel.h"

#include <QWidget>

class QLabel;

// The project device a connection starts from: picture, model, name, address and ID.
class QovAppDeviceView : public QWidget
{
    Q_OBJECT

public:
    explicit QovAppDeviceView(const QovAppDeviceModel &device, QWidget *parent = nullptr);

    // The IP address or "---.---.---.---", then " (MAC)" when the MAC is known.
    static QString addressLine(const QovAppDeviceModelInternal &device);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void elideName();

    QString m_name;
    QLabel *m_nameLabel;
};
