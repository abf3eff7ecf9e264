#pragma once

#include <QStringList>
#include <QUrl>
#include <QWidget>

class QMenu;
class QovMainWindowBase;

// The bar at the top of the project page: the main menu button (new, open, recent files,
// save, connect, settings, backup folder, help, exit) and the quick buttons New, Open and Save.
class QovMenuBarView : public QWidget
{
    Q_OBJECT

public:
    QovMenuBarView(QovMainWindowBase *mainWindow, QWidget *parent = nullptr);
    ~QovMenuBarView() override;

    QMenu *mainMenu() const { return m_mainMenu; }
    QMenu *recentMenu() const { return m_recentMenu; }

    static QString manualAddress();
    // What Help opens: the manual beside the program, or the online page without one.
    static QUrl manualUrl();

public Q_SLOTS:
    // Shows the folder of the copies taken before mixers are overwritten in the desktop's file
    // manager, creating it first when no copy was taken yet.
    static void openBackupFolder();

private Q_SLOTS:
    void updateRecents();

private:
    // Opens a recent project, or offers to forget one that is no longer there.
    void openRecent(const QString &path);
    void buildMainMenu();

    QMenu *m_recentMenu;
    QMenu *m_mainMenu = nullptr;
    QovMainWindowBase *m_mainWindow;
};
