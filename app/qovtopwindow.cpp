#include "app/qovtopwindow.h"

#include "app/qovmainwindow.h"
#include "models/qovprogramsettingsmodel.h"
#include "views/qovwidgetfactory.h"

#include <QCheckBox>
#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QThread>
#include <QVBoxLayout>

namespace {

QPushButton *makeBigButton(const QString &iconPath, const QString &text)
{
    QPushButton *button = makeButton(QString(), QSize(320, 64));
    auto *row = makeHBoxLayout(0, 24, Qt::AlignLeft | Qt::AlignVCenter);
    row->addSpacing(24);
    row->addWidget(makeIconLabel(iconPath, QSize(24, 24), Qt::AlignCenter));
    row->addWidget(makeLabel(text, QSize()));
    button->setLayout(row);
    // Screen readers and tests find the button by what it says.
    button->setAccessibleName(text);
    // Enter presses the focused button as Space does; outside a dialog only an auto-default
    // button takes Enter.
    button->setAutoDefault(true);
    return button;
}

} // namespace

QovTopWindow::QovTopWindow(QWidget *parent)
    : QWidget(parent)
    , m_newProjectButton(
          makeBigButton(QStringLiteral("://icons/ic_project-create.svg"), tr("New Project")))
    , m_openProjectButton(
          makeBigButton(QStringLiteral("://icons/ic_project-open.svg"), tr("Open Project")))
    , m_connectDeviceButton(makeBigButton(QStringLiteral("://icons/ic_device-connect.svg"),
                                          tr("Connect Online Device")))
    , m_hideCheckBox(new QCheckBox())
{
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_StyledBackground);
    setObjectName(QStringLiteral("top-window"));
    resize(560, 520);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setWindowTitle(tr("Velmora"));
    m_hideCheckBox->setFixedSize(24, 24);

    const Qt::Alignment topCentre = Qt::AlignHCenter | Qt::AlignTop;
    auto *layout = makeVBoxLayout(0, 0, topCentre);
    layout->addSpacing(78);
    layout->addWidget(makeLabel(tr("Velmora"), QSize(560, 37), "app-name", Qt::AlignCenter));

    auto *buttons = makeVBoxLayout(0, 0, topCentre);
    buttons->addSpacing(41);
    buttons->addWidget(m_newProjectButton);
    buttons->addSpacing(16);
    buttons->addWidget(m_openProjectButton);
    buttons->addSpacing(16);
    buttons->addWidget(m_connectDeviceButton);
    buttons->addSpacing(24);
    auto *hideRow = makeHBoxLayout(0, 8, Qt::AlignLeft | Qt::AlignVCenter);
    hideRow->addWidget(m_hideCheckBox);
    hideRow->addWidget(makeLabelFor(m_hideCheckBox, tr("Do not display this dialog again"),
                                    QSize(0, 24), "hide-top"));
    buttons->addLayout(hideRow);
    layout->addLayout(buttons);
    layout->addSpacing(53);

    auto *logoRow = makeHBoxLayout(0, 8, Qt::AlignRight);
    logoRow->addWidget(
        makeIconLabel(QStringLiteral(":/images/OVLogo_logotxt.svg"), QSize(113, 26)));
    logoRow->addSpacing(10);
    layout->addLayout(logoRow);
    setLayout(layout);

    connect(m_newProjectButton, &QPushButton::clicked, this, &QovTopWindow::onNewProject);
    connect(m_openProjectButton, &QPushButton::clicked, this, &QovTopWindow::onOpenProject);
    connect(m_connectDeviceButton, &QPushButton::clicked, this, &QovTopWindow::onConnectDevice);
    // The main window's keys for the same choices, wherever the focus is on the page.
    const std::pair<QKeySequence, QPushButton *> keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_N), m_newProjectButton},
        {QKeySequence(Qt::CTRL | Qt::Key_O), m_openProjectButton}};
    for (const auto &[key, button] : keys) {
        connect(new QShortcut(key, this), &QShortcut::activated, button, &QPushButton::click);
    }
    qDebug() << QThread::currentThreadId() << this << "top window created";
}

void QovTopWindow::onNewProject()
{
    handOver("create new project clicked!", &QovMainWindow::createProject);
}

void QovTopWindow::onOpenProject()
{
    handOver("open project clicked!", &QovMainWindow::openProject);
}

void QovTopWindow::onConnectDevice()
{
    handOver("connect device clicked!", &QovMainWindow::connectDevices);
}

void QovTopWindow::handOver(const char *logLine, bool (QovMainWindow::*action)())
{
    qDebug() << QThread::currentThreadId() << this << logLine;
    auto *window = new QovMainWindow();
    window->show();
    if (!(window->*action)()) {
        // Hidden first, so that it closes without the exit question.
        window->hide();
        window->close();
        return;
    }
    hide();
    close();
    if (m_hideCheckBox->isChecked()) {
        QovProgramSettingsModel settings;
        settings.setTopPageVisible(false);
        settings.save();
    }
}
