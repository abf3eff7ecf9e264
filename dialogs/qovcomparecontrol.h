#pragma once

#include "models/qovappdevicemodel.h"
#include "models/qovonlinedevicemodel.h"
#include "models/qovzephdatadiff.h"

#include <QString>
#include <QVector>
#include <QWidget>

class QLabel;
class QPushButton;
template<typename T>
class QFutureWatcher;

// The "Compare" button of the connection dialogs: reads the mixer's current data on a worker,
// compares it with the project device's stored data and shows the result in a compare view.
// While it reads, the button is off and says so beside a small busy mark; the dialog around it
// stays usable and may close at any time.
class QovCompareControl : public QWidget
{
    Q_OBJECT

public:
    struct Outcome
    {
        QVector<QovZephDataDiffEntry> entries;
        // Empty when the mixer's data could be read.
        QString error;
    };

    explicit QovCompareControl(const QovAppDeviceModel &device, QWidget *parent = nullptr);

    // The mixer to compare with; null turns the button off.
    void setMixer(const QovOnlineDeviceModel &mixer);
    QovOnlineDeviceModel mixer() const { return m_mixer; }
    bool isBusy() const { return m_watcher != nullptr; }
    QPushButton *button() const { return m_button; }

Q_SIGNALS:
    void busyChanged(bool busy);

private:
    void start();
    void finish(const QovOnlineDeviceModel &mixer, const Outcome &outcome);
    void updateButton();

    QovAppDeviceModel m_device;
    QovOnlineDeviceModel m_mixer;
    QPushButton *m_button;
    QLabel *m_busyMark;
    // Set while a read runs. A child of this widget: when the dialog goes, it goes with it and
    // the worker's result is dropped unseen.
    QFutureWatcher<Outcome> *m_watcher = nullptr;
};
