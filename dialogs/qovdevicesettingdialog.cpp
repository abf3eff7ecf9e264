#include "dialogs/qovdevicesettingdialog.h"

#include "dialogs/qovaddonlinedevicedialog.h"
#include "dialogs/qovconfirmpopup.h"
#include "dialogs/qovpopups.h"
#include "dialogs/qovtextvalidators.h"
#include "models/qovprogramsettingsmodel.h"
#include "models/qovprojectdatamodel.h"
#include "models/qovtextrules.h"
#include "models/qovworkerpool.h"
#include "views/qovlistkeys.h"
#include "views/qovrowsummary.h"
#include "views/qovwidgetfactory.h"

#include <QDebug>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QtConcurrent>

#include <utility>

namespace {
const QSize kRowSize(608, 48);

QPushButton *makeAddButton(const QString &text, const QSize &size)
{
    QPushButton *button = makeButton(text, size, "devices-editor-add-button");
    // The space only keeps the text off the icon.
    button->setAccessibleName(text.trimmed());
    button->setIcon(makeIcon(QStringLiteral(":/icons/ic_add.svg")));
    button->setIconSize(QSize(17, 17));
    return button;
}

QWidget *makeListHeader()
{
    QWidget *header = makeWidget(QSize(608, 32), "dialog-device-list-header");
    header->setAttribute(Qt::WA_StyledBackground);
    // The columns line up with those of the rows below.
    auto *layout = makeHBoxLayout(0, 16, Qt::AlignLeft | Qt::AlignVCenter);
    layout->setContentsMargins(4, 0, 24, 0);
    layout->addWidget(
        makeLabel(QovDeviceSettingDialog::tr("No"), QSize(28, 24), nullptr, Qt::AlignCenter));
    layout->addWidget(makeLabel(QovDeviceSettingDialog::tr("Device [Device ID]"), QSize(150, 24)));
    layout->addWidget(makeLabel(QovDeviceSettingDialog::tr("Device Name"), QSize(320, 24)));
    header->setLayout(layout);
    return header;
}
} // namespace

QovDeviceSettingDialog::QovDeviceSettingDialog(QWidget *parent)
    : QovDeviceSettingDialog(new QovProjectDataModel(), true, parent)
{
}

QovDeviceSettingDialog::QovDeviceSettingDialog(QovProjectDataModel *project, QWidget *parent)
    : QovDeviceSettingDialog(project, false, parent)
{
}

QovDeviceSettingDialog::QovDeviceSettingDialog(QovProjectDataModel *project, bool newProject,
                                               QWidget *parent)
    : QovAbstractDialog(parent)
    , m_project(project)
    , m_ownsProject(newProject)
{
    if (newProject) {
        m_projectNameEdit =
            makeLineEdit(project->projectName(), tr("Input project title"), QSize(608, 28));
        m_projectNameEdit->setMaxLength(QovTextRules::titleLength);
        m_projectNameEdit->setValidator(makeProjectTextValidator(m_projectNameEdit));
        connect(m_projectNameEdit, &QLineEdit::editingFinished, this, [this] {
            const QString trimmed = m_projectNameEdit->text().trimmed();
            if (trimmed != m_projectNameEdit->text()) {
                m_projectNameEdit->setText(trimmed);
            }
        });
        setWindowTitle(tr("New Project"));
    } else {
        setWindowTitle(tr("Device Setting"));
    }
    for (const QovAppDeviceModel &device : project->appDevices()) {
        appendEntry(device);
    }
    m_deviceList = makeListWidget(QSize(608, 258), 0, true, "dialog-device-list");
    m_deviceList->setAccessibleName(tr("Project devices"));
    qovEnableRowKeys(m_deviceList);
    m_deviceList->installEventFilter(this);
    m_addButton = makeAddButton(tr(" Add"), QSize(82, 24));
    m_addOnlineButton = makeAddButton(tr(" Add Online Device"), QSize(170, 24));
    setup(newProject ? QSize(664, 582) : QSize(664, 454));
    rebuildList();

    connect(m_addButton, &QPushButton::clicked, this, &QovDeviceSettingDialog::onAddButtonClicked);
    connect(m_addOnlineButton, &QPushButton::clicked, this,
            &QovDeviceSettingDialog::onAddOnlineButtonClicked);
    connect(m_deviceList->model(), &QAbstractItemModel::rowsMoved, this,
            &QovDeviceSettingDialog::moveDevice);
    // OK first checks the names and closes only when they are fine.
    disconnect(okButton(), &QPushButton::clicked, this, &QDialog::accept);
    connect(okButton(), &QPushButton::clicked, this, &QovDeviceSettingDialog::collectResults);
}

QovDeviceSettingDialog::~QovDeviceSettingDialog()
{
    if (m_ownsProject) {
        delete m_project;
    }
}

void QovDeviceSettingDialog::buildContents(QWidget *contents)
{
    auto *layout = makeVBoxLayout(16, 8, Qt::AlignTop | Qt::AlignLeft);
    if (m_projectNameEdit) {
        layout->addWidget(
            makeLabelFor(m_projectNameEdit, tr("Project Name"), QSize(), "dialog-contents-label"));
        layout->addWidget(m_projectNameEdit);
        layout->addSpacing(12);
    }
    auto *devicesRow = makeHBoxLayout(0, 12, Qt::AlignLeft | Qt::AlignVCenter);
    devicesRow->addWidget(makeLabel(tr("Devices"), QSize(), "dialog-contents-label"));
    devicesRow->addStretch();
    devicesRow->addWidget(m_addButton);
    devicesRow->addWidget(m_addOnlineButton);
    layout->addLayout(devicesRow);

    auto *listBlock = makeVBoxLayout(0, 0, Qt::AlignTop | Qt::AlignLeft);
    listBlock->addWidget(makeListHeader());
    listBlock->addWidget(m_deviceList);
    layout->addLayout(listBlock);
    contents->setLayout(layout);
}

QVector<QovDeviceSettingEntry> QovDeviceSettingDialog::entries() const
{
    QVector<QovDeviceSettingEntry> copy;
    copy.reserve(m_entries.size());
    for (const auto &entry : m_entries) {
        copy.append(*entry);
    }
    return copy;
}

int QovDeviceSettingDialog::maxDevices() const
{
    return int(QovProgramSettingsModel().maxNumberOfProjectDevices());
}

void QovDeviceSettingDialog::appendEntry(const QovAppDeviceModel &device)
{
    m_entries.append(std::make_shared<QovDeviceSettingEntry>(
        QovDeviceSettingEntry{device, device->deviceName(), device->deviceType()}));
}

void QovDeviceSettingDialog::appendRow(int index)
{
    auto *item = new QListWidgetItem(m_deviceList);
    item->setSizeHint(kRowSize);
    auto *row = new QovDeviceSettingDialogListItem(m_entries.at(index), index + 1);
    connect(row, &QovDeviceSettingDialogListItem::deleteRequired, this,
            &QovDeviceSettingDialog::deleteDevice);
    if (QLineEdit *name = row->nameEditor()) {
        name->installEventFilter(this);
    }
    qovSetRowWidget(m_deviceList, item, row);
    qovOrderRowFocus(m_deviceList);
}

void QovDeviceSettingDialog::rebuildList()
{
    m_deviceList->clear();
    for (int i = 0; i < m_entries.size(); ++i) {
        appendRow(i);
    }
    const int focusRow = std::exchange(m_rowToFocus, -1);
    if (focusRow < 0 || focusRow >= m_deviceList->count()) {
        return;
    }
    QListWidgetItem *item = m_deviceList->item(focusRow);
    m_deviceList->setCurrentItem(item);
    m_deviceList->scrollToItem(item);
    auto *row = static_cast<QovDeviceSettingDialogListItem *>(m_deviceList->itemWidget(item));
    if (m_focusName && row->nameEditor()) {
        row->nameEditor()->setFocus(Qt::OtherFocusReason);
    } else {
        m_deviceList->setFocus(Qt::OtherFocusReason);
    }
}

bool QovDeviceSettingDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool alt = (key->modifiers() & ~Qt::KeypadModifier) == Qt::AltModifier;
        if (alt && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            moveRowByKey(watched, key->key() == Qt::Key_Up ? -1 : 1);
            return true;
        }
    }
    return QovAbstractDialog::eventFilter(watched, event);
}

void QovDeviceSettingDialog::moveRowByKey(QObject *from, int step)
{
    int at = from == m_deviceList ? m_deviceList->currentRow() : -1;
    for (int i = 0; at < 0 && i < m_deviceList->count(); ++i) {
        const auto *row = static_cast<QovDeviceSettingDialogListItem *>(
            m_deviceList->itemWidget(m_deviceList->item(i)));
        if (row && row->nameEditor() == from) {
            at = i;
        }
    }
    const int to = at + step;
    if (at < 0 || to < 0 || to >= m_deviceList->count()) {
        return;
    }
    m_rowToFocus = to;
    m_focusName = from != m_deviceList;
    // What a drop does, so the entries move exactly as after a drag; the rows are made anew a
    // turn later, outside the handling of this key, which the name field may still be in.
    if (!m_deviceList->model()->moveRow(QModelIndex(), at, QModelIndex(), step < 0 ? to : to + 1)) {
        m_rowToFocus = -1;
    }
}

void QovDeviceSettingDialog::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    auto *edit = qobject_cast<QLineEdit *>(focusWidget());
    // The title is the form's first field: Enter there confirms it as in any dialog. In a
    // device name it ends that name and goes on to the next row's, so that the rows can be
    // named one after the other without a mouse.
    const bool confirms = edit && edit == m_projectNameEdit && edit->hasAcceptableInput();
    if (enter && edit && !confirms) {
        event->accept();
        focusNameAfter(edit);
        return;
    }
    QovAbstractDialog::keyPressEvent(event);
}

void QovDeviceSettingDialog::focusNameAfter(const QLineEdit *edit)
{
    for (int i = 0; i + 1 < m_deviceList->count(); ++i) {
        auto *row = static_cast<QovDeviceSettingDialogListItem *>(
            m_deviceList->itemWidget(m_deviceList->item(i)));
        if (row && row->nameEditor() == edit) {
            QListWidgetItem *nextItem = m_deviceList->item(i + 1);
            auto *next =
                static_cast<QovDeviceSettingDialogListItem *>(m_deviceList->itemWidget(nextItem));
            if (next && next->nameEditor()) {
                m_deviceList->scrollToItem(nextItem);
                next->nameEditor()->setFocus(Qt::TabFocusReason);
            }
            return;
        }
    }
}

void QovDeviceSettingDialog::onAddButtonClicked()
{
    qDebug() << "add button clicked!";
    if (m_entries.size() >= maxDevices()) {
        qovShowError(tr("Caution"),
                     tr("This exceeds the maximum number of devices that can be added"));
        return;
    }
    appendEntry(std::make_shared<QovAppDeviceModelInternal>());
    // Adding changes no other row's number, so the new row is all that needs building.
    appendRow(m_entries.size() - 1);
    m_deviceList->scrollToBottom();
    auto *row = static_cast<QovDeviceSettingDialogListItem *>(
        m_deviceList->itemWidget(m_deviceList->item(m_entries.size() - 1)));
    if (QLineEdit *editor = row->nameEditor()) {
        // The list places its row widgets when it lays out its items, later; focus then.
        QTimer::singleShot(0, editor, [editor] { editor->setFocus(); });
    }
}

void QovDeviceSettingDialog::onAddOnlineButtonClicked()
{
    qDebug() << "add online button clicked!";
    if (m_addOnlineDialog) {
        return;
    }
    setBusy(true);
    QVector<QovAppDeviceModel> taken;
    for (const auto &entry : m_entries) {
        taken.append(entry->device);
    }
    m_addOnlineDialog = new QovAddOnlineDeviceDialog(QovAddOnlineDeviceDialog::ADD, taken);
    connect(m_addOnlineDialog, &QovAddOnlineDeviceDialog::resultCollected, this,
            &QovDeviceSettingDialog::onAddOnlineDeviceCompleted);
    if (m_addOnlineDialog->exec() != QDialog::Accepted) {
        m_addOnlineDialog->deleteLater();
        m_addOnlineDialog = nullptr;
        setBusy(false);
    }
}

void QovDeviceSettingDialog::onAddOnlineDeviceCompleted(QovAppDeviceResultList results)
{
    qDebug() << "add online device completed!" << results.size();
    if (m_entries.size() + int(results.size()) > maxDevices()) {
        qovShowError(tr("Caution"),
                     tr("This exceeds the maximum number of devices that can be added"));
    } else {
        for (const auto &[ok, device, problem] : results) {
            if (ok) {
                appendEntry(device);
            } else {
                qovShowConnectError(tr("Device is unable to connect with Velmora.\nThe device "
                                       "cannot be added.\n%1")
                                        .arg(device->deviceName()),
                                    problem);
            }
        }
        rebuildList();
    }
    if (m_addOnlineDialog) {
        m_addOnlineDialog->deleteLater();
        m_addOnlineDialog = nullptr;
    }
    setBusy(false);
}

void QovDeviceSettingDialog::deleteDevice(int number)
{
    QovConfirmPopup popup(tr("Caution"), tr("Are you sure you want to delete this?"));
    if (popup.exec() != QDialog::Accepted || number < 1 || number > m_entries.size()) {
        return;
    }
    m_entries.remove(number - 1);
    rebuildList();
}

void QovDeviceSettingDialog::moveDevice(const QModelIndex &, int start, int end,
                                        const QModelIndex &, int row)
{
    qDebug() << "moved," << start << end << "->" << row;
    const int target = row > start ? row - 1 : row;
    qDebug() << "moveding," << start << "->" << target;
    if (start >= 0 && start < m_entries.size() && target >= 0 && target < m_entries.size()) {
        m_entries.move(start, target);
    }
    // The list widget is still inside its drop handling; rebuilding it there would pull the
    // rows from under it.
    QTimer::singleShot(0, this, &QovDeviceSettingDialog::rebuildList);
}

void QovDeviceSettingDialog::collectResults()
{
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i)->name.trimmed().isEmpty()) {
            qovShowError(tr("Cannot Add Device"),
                         tr("Error on device No.%1:\nDevice name must be between 1 and 30 "
                            "characters long.")
                             .arg(i + 1));
            return;
        }
    }
    accept();

    // The worker gets its own copy: the dialog's rows may go while it runs.
    const QVector<QovDeviceSettingEntry> work = entries();
    const bool newProject = isNewProject();
    const QString projectName = newProject ? m_projectNameEdit->text().trimmed() : QString();
    QovProjectDataModel *project = m_project;
    auto *watcher = new QFutureWatcher<int>();
    connect(watcher, &QFutureWatcher<int>::finished, this, [this, watcher] {
        const int skipped = watcher->result();
        watcher->deleteLater();
        onCollected(skipped);
    });
    watcher->setFuture(QtConcurrent::run(qovWorkerPool(), [work, newProject, projectName, project] {
        int skippedUnknown = 0;
        project->clearDevices();
        for (const QovDeviceSettingEntry &entry : work) {
            if (entry.type == QovDeviceSelector::Unknown) {
                ++skippedUnknown;
                continue;
            }
            entry.device->setDeviceName(entry.name);
            entry.device->setDeviceType(entry.type);
            project->addDevice(entry.device);
        }
        if (newProject) {
            project->setProjectName(projectName);
        }
        qDebug() << project->debugText(true).toUtf8().constData();
        return skippedUnknown;
    }));
}

void QovDeviceSettingDialog::onCollected(int skippedUnknown)
{
    if (skippedUnknown > 0) {
        qovShowError(tr("Caution"), tr("Unknown devices cannot be added"));
    }
    qDebug() << "connected!";
    m_ownsProject = false;
    Q_EMIT resultCollected(m_project);
}
