#include "dialogs/qovcomparecontrol.h"

#include "device/qovcgiapi.h"
#include "device/qovcgiapifactory.h"
#include "dialogs/qovcomparedialog.h"
#include "dialogs/qovpopups.h"
#include "models/qovworkerpool.h"
#include "views/qovwidgetfactory.h"

#include <QDebug>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QLabel>
#include <QMovie>
#include <QPushButton>
#include <QThread>
#include <QtConcurrent>

#include <memory>

namespace {

// Runs on a pool thread: the API object is made, used and dropped there.
QovCompareControl::Outcome readAndCompare(const QovOnlineDeviceModel &mixer,
                                          const QovZephData &stored)
{
    QovCompareControl::Outcome outcome;
    const std::unique_ptr<QovCgiApi> api(createCgiApi(mixer));
    if (!api) {
        outcome.error = QStringLiteral("unsupported model %1").arg(mixer->modelName());
        return outcome;
    }
    const QovZephData onMixer = api->downloadZephData(mixer).get();
    qDebug() << QThread::currentThreadId() << "compare" << mixer->debugText() << onMixer.error;
    if (!onMixer.error.isEmpty()) {
        outcome.error = onMixer.error;
        return outcome;
    }
    outcome.entries = qovDiffZephData(stored, onMixer);
    return outcome;
}

} // namespace

QovCompareControl::QovCompareControl(const QovAppDeviceModel &device, QWidget *parent)
    : QWidget(parent)
    , m_device(device)
    , m_button(makeButton(tr("Compare"), QSize(104, 40), "compare-button"))
    , m_busyMark(new QLabel())
{
    m_button->setCursor(Qt::PointingHandCursor);
    m_button->setToolTip(tr("Show what differs between the project and the mixer"));
    auto *movie = new QMovie(QStringLiteral(":/images/progress.gif"), QByteArray(), this);
    movie->setScaledSize(QSize(24, 24));
    m_busyMark->setMovie(movie);
    m_busyMark->setFixedSize(24, 24);
    m_busyMark->hide();

    auto *layout = makeHBoxLayout(0, 8, Qt::AlignLeft | Qt::AlignVCenter);
    layout->addWidget(m_button);
    layout->addWidget(m_busyMark);
    setLayout(layout);

    connect(m_button, &QPushButton::clicked, this, &QovCompareControl::start);
    updateButton();
}

void QovCompareControl::setMixer(const QovOnlineDeviceModel &mixer)
{
    m_mixer = mixer;
    updateButton();
}

void QovCompareControl::updateButton()
{
    m_button->setEnabled(m_mixer && !isBusy());
}

void QovCompareControl::start()
{
    if (!m_mixer || isBusy()) {
        return;
    }
    const QovOnlineDeviceModel mixer = m_mixer;
    m_watcher = new QFutureWatcher<Outcome>(this);
    connect(m_watcher, &QFutureWatcher<Outcome>::finished, this, [this, mixer] {
        const Outcome outcome = m_watcher->result();
        m_watcher->deleteLater();
        m_watcher = nullptr;
        finish(mixer, outcome);
    });
    m_button->setText(tr("Reading\u2026"));
    m_busyMark->show();
    m_busyMark->movie()->start();
    updateButton();
    Q_EMIT busyChanged(true);
    // The stored data is copied here, on the GUI thread that owns the device.
    m_watcher->setFuture(
        QtConcurrent::run(qovWorkerPool(), readAndCompare, mixer, m_device->zephData()));
}

void QovCompareControl::finish(const QovOnlineDeviceModel &mixer, const Outcome &outcome)
{
    // Restored before any answer is shown, so the dialog behind it no longer claims to read.
    m_button->setText(tr("Compare"));
    m_busyMark->movie()->stop();
    m_busyMark->hide();
    updateButton();
    Q_EMIT busyChanged(false);
    // A dialog closed while the mixer was read wants no answer any more.
    if (!window()->isVisible()) {
        return;
    }
    if (!outcome.error.isEmpty()) {
        qovShowError(tr("Error"), tr("Compare Failed\n\n%1\n(%2)\nThe mixer's data could not be "
                                     "read: %3")
                                      .arg(mixer->deviceName(), mixer->ipAddress(), outcome.error));
        return;
    }
    QovCompareDialog view(m_device, mixer, outcome.entries);
    view.exec();
}
