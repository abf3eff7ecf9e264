#include "screenshotscene.h"

#include "app/qovmainwindow.h"
#include "app/qovmenubarview.h"
#include "app/qovtopwindow.h"
#include "dialogs/qovprogramsettingsdialog.h"
#include "dialogs/qovprojectmetadatadialog.h"
#include "dialogs/qovversioninfodialog.h"
#include "views/qovprojectdevicelistitemview.h"
#include "views/qovprojectview.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

namespace {

// The main window sits in a plain frame: closing a main window asks "Really exit?", and the
// renderer closes every window it made.
QWidget *framedMainWindow(QovProjectDataModel *project, const QSize &size)
{
    auto *frame = new QWidget();
    auto *layout = new QVBoxLayout(frame);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *window = new QovMainWindow(frame);
    layout->addWidget(window);
    if (project) {
        window->setProjectData(project);
    }
    frame->setWindowTitle(window->windowTitle());
    frame->resize(size);
    return frame;
}

// Twelve mixers of both models, four each connected, disconnected and missing.
QovProjectDataModel *twelveDeviceProject()
{
    auto *project = new QovProjectDataModel();
    project->setProjectName(QStringLiteral("Grand Hall"));
    const QStringList names = QStringLiteral("FOH Main,Monitor L,Monitor R,Stage Left,"
                                             "Stage Right,Balcony,Lobby,Green Room,Broadcast,"
                                             "Delay 1,Delay 2,Spare")
                                  .split(QLatin1Char(','));
    for (int i = 0; i < names.size(); ++i) {
        const auto status = static_cast<QovAppDeviceModelInternal::Status>(i % 3);
        const bool bound = status != QovAppDeviceModelInternal::DISCONNECTED;
        auto device = std::make_shared<QovAppDeviceModelInternal>(
            names.at(i), i % 2 ? QovDeviceSelector::ZEPH2208NET : QovDeviceSelector::ZEPH2208,
            bound ? QStringLiteral("00:1D:C1:20:08:%1").arg(i + 2, 2, 10, QLatin1Char('0'))
                  : QString(),
            0, bound ? i + 1 : -1);
        if (status == QovAppDeviceModelInternal::CONNECTED) {
            device->setIpAddress(QStringLiteral("192.168.1.%1").arg(20 + i));
        }
        device->setStatus(status);
        // Three missing mixers answer again: one waits for the user, one was not read over the
        // user's changes, one failed to reconnect.
        if (i == 2) {
            device->setStatusNote(QStringLiteral("Online again"));
        } else if (i == 5) {
            device->setStatusNote(QStringLiteral("Online, edits kept"));
        } else if (i == 8) {
            device->setStatusNote(QStringLiteral("Reconnect failed"));
        }
        project->addDevice(device);
    }
    project->setIsEdited(false);
    return project;
}

void openMainMenu(QWidget *frame)
{
    auto *bar = frame->findChild<QovMenuBarView *>();
    auto *button = bar->findChild<QPushButton *>(QStringLiteral("menu-icon-button"));
    bar->mainMenu()->popup(button->mapToGlobal(QPoint(0, button->height())));
}

void openStatusMenu(QWidget *frame)
{
    QListWidget *list = frame->findChild<QovProjectView *>()->deviceList();
    // The third row: a missing device, whose menu offers Reconnect and Disconnect.
    auto *row = qobject_cast<QovProjectDeviceListItemView *>(list->itemWidget(list->item(2)));
    QPushButton *button = row->statusButton();
    button->menu()->popup(button->mapToGlobal(QPoint(0, button->height())));
}

// Keyboard focus as Tab gives it, so that the focus frames can be looked at.
void focusForKeys(QWidget *window, QWidget *target)
{
    window->activateWindow();
    // A window that is not yet active hands its focus to its first control once it is.
    QElapsedTimer waited;
    waited.start();
    while (QApplication::activeWindow() != window->window() && waited.elapsed() < 3000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    target->setFocus(Qt::TabFocusReason);
}

void focusStatusButton(QWidget *frame)
{
    QListWidget *list = frame->findChild<QovProjectView *>()->deviceList();
    auto *row = qobject_cast<QovProjectDeviceListItemView *>(list->itemWidget(list->item(0)));
    focusForKeys(frame, row->statusButton());
}

QovProjectMetaDataDialog *metadataDialog()
{
    static std::unique_ptr<QovProjectDataModel> project;
    project = std::make_unique<QovProjectDataModel>();
    project->setProjectName(QStringLiteral("Grand Hall"));
    project->setProjectAuthor(QStringLiteral("Kim Berg"));
    project->setProjectDealer(QStringLiteral("Sound and Stage"));
    project->setProjectDescription(
        QStringLiteral("Twelve mixers, two rooms.\nDelay lines tuned on site."));
    return new QovProjectMetaDataDialog(project.get());
}

} // namespace

std::vector<ScreenshotScene> appScenes()
{
    return {
        {QStringLiteral("app-start-page"), [] { return new QovTopWindow(); }, nullptr, 0, 0},
        {QStringLiteral("app-main-empty"),
         [] { return framedMainWindow(nullptr, QSize(1152, 640)); }, nullptr, 0, 0},
        {QStringLiteral("app-project-12-devices"),
         [] { return framedMainWindow(twelveDeviceProject(), QSize(1152, 980)); }, nullptr, 0, 0},
        {QStringLiteral("app-main-menu-open"),
         [] { return framedMainWindow(nullptr, QSize(1152, 640)); }, openMainMenu, 0, 0},
        {QStringLiteral("app-status-menu-open"),
         [] { return framedMainWindow(twelveDeviceProject(), QSize(1152, 720)); }, openStatusMenu,
         0, 0},
        {QStringLiteral("dialog-project-metadata"), [] { return metadataDialog(); }, nullptr, 0, 0},
        {QStringLiteral("keys-focus-status-button"),
         [] { return framedMainWindow(twelveDeviceProject(), QSize(1152, 400)); },
         focusStatusButton, 0, 0},
        {QStringLiteral("keys-focus-field"), [] { return metadataDialog(); },
         [](QWidget *dialog) { focusForKeys(dialog, dialog->findChildren<QLineEdit *>().at(1)); },
         0, 0},
        {QStringLiteral("keys-focus-button"), [] { return new QovProgramSettingsDialog(); },
         [](QWidget *dialog) {
             focusForKeys(dialog, dialog->findChildren<QPushButton *>().constLast());
         },
         0, 0},
        {QStringLiteral("dialog-program-settings-list-open"),
         [] { return new QovProgramSettingsDialog(); },
         [](QWidget *dialog) { dialog->findChild<QComboBox *>()->showPopup(); }, 0, 0},
        {QStringLiteral("dialog-program-settings"), [] { return new QovProgramSettingsDialog(); },
         nullptr, 0, 0},
        {QStringLiteral("dialog-about"), [] { return new QovVersionInfoDialog(); }, nullptr, 0, 0},
    };
}
