#pragma once

#include <QPointer>
#include <QWidget>

// The busy overlay: darkens the whole window it covers, plays the busy animation in the
// middle and keeps the mouse and the keyboard away from the window while it is shown,
// including widgets made under it while it is up. Created hidden; owners call show() and
// hide(). Other windows (a dialog opened while busy) stay usable.
class QovProgressView : public QWidget
{
    Q_OBJECT

public:
    // `covered` becomes the parent.
    explicit QovProgressView(QWidget *covered);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void coverWindow();
    bool isCoveredWidget(QObject *object) const;

    QWidget *m_covered;
    // Where the keyboard focus was when the overlay came up; it goes back there afterwards.
    QPointer<QWidget> m_focusBefore;
};
