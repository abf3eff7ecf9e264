#include "app/qovmenubarview.h"

#include "dialogs/qovconfirmpopup.h"
#include "dialogs/qovpopups.h"
#include "dialogs/qovversioninfodialog.h"
#include "models/qovpersistentdatamodel.h"
#include "models/qovsafetycopies.h"
#include "views/qovmainwindowbase.h"
#include "views/qovprogressview.h"
#include "views/qovrecentlabels.h"
#include "views/qovwidgetfactory.h"

#include <QAction>
#include <QCoreApplication>
#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QUrl>

QovMenuBarView::QovMenuBarView(QovMainWindowBase *mainWindow, QWidget *parent)
    : QWidget(parent)
    , m_recentMenu(new QMenu(tr("Open Recent")))
    , m_mainWindow(mainWindow)
{
    setMinimumSize(312, 48);
    auto *layout = makeHBoxLayout(0, 0, Qt::AlignLeft | Qt::AlignVCenter);
    layout->addSpacing(20);
    QPushButton *menuButton =
        makeIconButton(QStringLiteral(":/icons/ic_menu.svg"), QSize(24, 24), "menu-icon-button");
    menuButton->setAccessibleName(tr("Main menu"));
    menuButton->setFixedSize(32, 32);
    m_mainMenu = new QMenu(this);
    m_mainMenu->setObjectName(QStringLiteral("mainMenu"));
    buildMainMenu();
    menuButton->setMenu(m_mainMenu);
    layout->addWidget(menuButton);
    // F10 opens the main menu from anywhere in the window, as it does in desktop programs, so
    // that the keyboard need not Tab its way to the button first.
    auto *openMenu = new QAction(this);
    openMenu->setShortcut(QKeySequence(Qt::Key_F10));
    openMenu->setShortcutContext(Qt::WindowShortcut);
    connect(openMenu, &QAction::triggered, menuButton, &QPushButton::showMenu);
    m_mainWindow->addAction(openMenu);

    QovPersistentDataModel *recent = QovPersistentDataModel::instance();
    connect(recent, &QovPersistentDataModel::recentFilesChanged, this,
            &QovMenuBarView::updateRecents);
    updateRecents();

    const struct
    {
        QString text;
        int spaceBefore;
        bool (QovMainWindowBase::*slot)();
    } quickButtons[] = {
        {tr("New"), 28, &QovMainWindowBase::createProject},
        {tr("Open"), 24, &QovMainWindowBase::openProject},
        {tr("Save"), 8, &QovMainWindowBase::saveProject},
    };
    for (const auto &quick : quickButtons) {
        layout->addSpacing(quick.spaceBefore);
        QPushButton *button = makeButton(quick.text, QSize(64, 24), "menu-button");
        connect(button, &QPushButton::clicked, m_mainWindow, quick.slot);
        layout->addWidget(button);
    }
    setLayout(layout);
}

// The submenu has no parent (a submenu parented to the bar would also be shown as its own
// window by some styles), so the bar deletes it.
QovMenuBarView::~QovMenuBarView()
{
    delete m_recentMenu;
}

QString QovMenuBarView::manualAddress()
{
    return tr("https://velmora.example/document/Velmora/Default.html");
}

QUrl QovMenuBarView::manualUrl()
{
    // The manual installed beside the program works without a network, as on a site; the
    // online page only where the program runs without its manual.
    const QString local =
        QCoreApplication::applicationDirPath() + QStringLiteral("/manual/index.html");
    return QFileInfo::exists(local) ? QUrl::fromLocalFile(local) : QUrl(manualAddress());
}

void QovMenuBarView::buildMainMenu()
{
    QovMainWindowBase *window = m_mainWindow;
    auto add = [this](const QString &text, const QKeySequence &shortcut) {
        QAction *action = m_mainMenu->addAction(text);
        action->setShortcut(shortcut);
        action->setShortcutVisibleInContextMenu(false);
        // The menu is hidden most of the time: its shortcuts must work from the whole window.
        action->setShortcutContext(Qt::WindowShortcut);
        m_mainWindow->addAction(action);
        return action;
    };
    connect(add(tr("New Project"), QKeySequence(Qt::CTRL | Qt::Key_N)), &QAction::triggered, window,
            &QovMainWindowBase::createProject);
    m_mainMenu->addSeparator();
    connect(add(tr("Open"), QKeySequence(Qt::CTRL | Qt::Key_O)), &QAction::triggered, window,
            &QovMainWindowBase::openProject);
    m_mainMenu->addMenu(m_recentMenu);
    m_mainMenu->addSeparator();
    connect(add(tr("Save"), QKeySequence(Qt::CTRL | Qt::Key_S)), &QAction::triggered, window,
            &QovMainWindowBase::saveProject);
    connect(add(tr("Save As"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)), &QAction::triggered,
            window, &QovMainWindowBase::saveProjectAs);
    m_mainMenu->addSeparator();
    connect(add(tr("Connect Online Device"), QKeySequence()), &QAction::triggered, window,
            &QovMainWindowBase::connectDevices);
    m_mainMenu->addSeparator();
    connect(add(tr("Settings"), QKeySequence()), &QAction::triggered, window,
            &QovMainWindowBase::openProgramSettings);
    connect(add(tr("Open Backup Folder"), QKeySequence()), &QAction::triggered, this,
            &QovMenuBarView::openBackupFolder);
    m_mainMenu->addSeparator();
    QMenu *help = m_mainMenu->addMenu(tr("Help"));
    connect(help->addAction(tr("Help")), &QAction::triggered, this,
            [] { QDesktopServices::openUrl(manualUrl()); });
    connect(help->addAction(tr("About")), &QAction::triggered, this, [] {
        QovVersionInfoDialog dialog;
        dialog.exec();
    });
    m_mainMenu->addSeparator();
    QAction *exit = add(tr("Exit"), QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(exit, &QAction::triggered, window, &QovMainWindowBase::exit);
    QovProgressView::keepShortcutWhileBusy(exit);
}

void QovMenuBarView::openBackupFolder()
{
    const QString folder = QovSafetyCopies::defaultRoot();
    qDebug() << "openBackupFolder" << folder;
    if (!QDir().mkpath(folder)) {
        qovShowError(tr("Error"), tr("The backup folder could not be created.\n\n%1")
                                      .arg(QDir::toNativeSeparators(folder)));
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(folder))) {
        qovShowError(tr("Error"),
                     tr("The backup folder could not be opened. No file manager answered.\n\n%1")
                         .arg(QDir::toNativeSeparators(folder)));
    }
}

void QovMenuBarView::updateRecents()
{
    const QStringList files = QovPersistentDataModel::instance()->recentFiles();
    qDebug() << "updateRecents" << files;
    m_recentMenu->clear();
    m_recentMenu->setToolTipsVisible(true);
    const QStringList labels = qovRecentFileLabels(files);
    for (int i = 0; i < files.size(); ++i) {
        const QString path = files.at(i);
        QAction *action = m_recentMenu->addAction(labels.at(i));
        action->setData(path);
        action->setToolTip(QDir::toNativeSeparators(path));
        connect(action, &QAction::triggered, m_mainWindow, [this, path] { openRecent(path); });
    }
}

void QovMenuBarView::openRecent(const QString &path)
{
    // A file moved or deleted since: its reader's "invalid data" would send the user looking
    // for a fault in a file that is not there.
    if (!QFileInfo(path).isFile()) {
        QovConfirmPopup popup(tr("Open Recent"),
                              tr("The project file was not found:\n%1\n\nIt may have been moved, "
                                 "renamed or deleted. Remove it from the recent files?")
                                  .arg(QDir::toNativeSeparators(path)),
                              tr("Remove"), tr("Keep"));
        if (popup.exec() == QDialog::Accepted) {
            QovPersistentDataModel::instance()->removeRecent(path);
        }
        return;
    }
    m_mainWindow->openProjectFile(path);
}
