#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// Two buttons that choose which side's mixer data wins when a device is connected: the
// program's ("App -> Device", the initial choice) or the mixer's ("Device -> App").
class QovDirectionSelectorView : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(Direction direction READ direction WRITE setDirection NOTIFY directionChanged)

public:
    enum Direction : quint8 { DEVICE_TO_APP = 0, APP_TO_DEVICE = 1 };
    Q_ENUM(Direction)

    explicit QovDirectionSelectorView(QWidget *parent = nullptr);

    Direction direction() const { return m_direction; }
    // The upload flag of a connection: set for App -> Device.
    bool upload() const { return m_direction == APP_TO_DEVICE; }
    QPushButton *appToDeviceButton() const { return m_appToDeviceButton; }
    QPushButton *deviceToAppButton() const { return m_deviceToAppButton; }

public Q_SLOTS:
    void setDirection(QovDirectionSelectorView::Direction direction);

Q_SIGNALS:
    void directionChanged(QovDirectionSelectorView::Direction direction);

private:
    QPushButton *makeDirectionButton(QLabel *mark, const QString &from, const QString &to);
    void updateMarks();

    Direction m_direction = APP_TO_DEVICE;
    QLabel *m_appToDeviceMark;
    QLabel *m_deviceToAppMark;
    QPushButton *m_appToDeviceButton;
    QPushButton *m_deviceToAppButton;
};

Q_DECLARE_METATYPE(QovDirectionSelectorView::Direction)
