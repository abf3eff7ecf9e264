#pragma once

#include <QMenu>

// A drop-down menu that opens below its button with its right edge flush with the button's,
// for buttons at the right end of a row where a left-aligned menu would run off the row.
class QMenuRight : public QMenu
{
    Q_OBJECT

public:
    QMenuRight(QWidget *button, QWidget *parent = nullptr);

    void setVisible(bool visible) override;

private:
    // Where the menu goes: right-aligned under the button, kept on the button's screen.
    QPoint placement() const;

    QWidget *m_button;
};
