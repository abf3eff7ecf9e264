#pragma once

#include <QMainWindow>

// The project window. Stand-in until the main window lands: it records the file it was asked
// to open in its title.
class QovMainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit QovMainWindow(QWidget *parent = nullptr);

    bool openProjectFile(const QString &path);
};
