#pragma once

#include <QWidget>

// The busy overlay: darkens the whole window it covers, plays the busy animation in the
// middle and takes the mouse clicks meant for the window while it is shown.
// Created hidden; owners call show() and hide().
class QovProgressView : public QWidget
{
    Q_OBJECT

public:
    // `covered` becomes the parent.
    explicit QovProgressView(QWidget *covered);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void coverWindow();

    QWidget *m_covered;
};
