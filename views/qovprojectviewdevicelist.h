#pragma once

#include <QListWidget>

// The project page's list of device rows: a list widget whose rows are widgets, which can take
// many rows at once without placing every row widget again for each one added.
class QovProjectViewDeviceList : public QListWidget
{
public:
    // Fixed width, `itemSpacing` between rows, per-pixel scrolling, no frame and no horizontal
    // scroll bar.
    QovProjectViewDeviceList(int width, int itemSpacing, QWidget *parent = nullptr);

    // While held, adding a row leaves the row widgets where they are; they are all placed with
    // the list's next layout, which releasing schedules.
    void holdRowPlacement(bool hold);

    // Opens the status menu of the current row, as its status button would; false without one.
    bool openCurrentStatusMenu();

protected:
    void updateEditorGeometries() override;
    // Shift+F10 and the menu key (which the platform turns into a context menu event) open
    // the current row's status menu.
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    bool m_holdRowPlacement = false;
};
