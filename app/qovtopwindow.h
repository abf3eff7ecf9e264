#pragma once

#include <QWidget>

class QCheckBox;
class QPushButton;
class QovMainWindow;

// The start page: three large buttons (New Project, Open Project, Connect Online Device) that
// each hand over to a new main window, and the choice not to show this page again. The page
// stays when the action is cancelled and closes when it succeeds.
class QovTopWindow : public QWidget
{
    Q_OBJECT

public:
    explicit QovTopWindow(QWidget *parent = nullptr);

    QPushButton *newProjectButton() const { return m_newProjectButton; }
    QPushButton *openProjectButton() const { return m_openProjectButton; }
    QPushButton *connectDeviceButton() const { return m_connectDeviceButton; }
    QCheckBox *hideCheckBox() const { return m_hideCheckBox; }

private Q_SLOTS:
    void onNewProject();
    void onOpenProject();
    void onConnectDevice();

private:
    // Shows a new main window and runs `action` on it; keeps this page when it was cancelled.
    void handOver(const char *logLine, bool (QovMainWindow::*action)());

    QPushButton *m_newProjectButton;
    QPushButton *m_openProjectButton;
    QPushButton *m_connectDeviceButton;
    QCheckBox *m_hideCheckBox;
};
