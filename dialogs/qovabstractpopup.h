#pragma once

#include <QDialog>
#include <QString>

class QHBoxLayout;
class QPushButton;

// A small frameless message box: a title, a word-wrapped message that grows the box downward,
// and a row of up to three buttons. Subclasses give the buttons their texts, names and results.
class QovAbstractPopup : public QDialog
{
    Q_OBJECT

public:
    QovAbstractPopup(int width, int minimumHeight, const QString &title, const QString &message,
                     QWidget *parent = nullptr);

    QString title() const { return m_title; }
    QString message() const { return m_message; }

protected:
    // Makes the box tall enough for the wrapped message at its fixed width, so a long message
    // grows it downward instead of being cut off. Only now are the style sheet's fonts known.
    void showEvent(QShowEvent *event) override;

    QPushButton *leftButton() const { return m_leftButton; }
    QPushButton *centerButton() const { return m_centerButton; }
    QPushButton *rightButton() const { return m_rightButton; }
    QHBoxLayout *buttonRow() const { return m_buttonRow; }
    // A smaller line under the message, above the buttons: what the buttons do.
    void addNote(const QString &text);
    QString note() const { return m_note; }
    // Gives a button its text and the accept look; the others keep the neutral look.
    static void makeAcceptButton(QPushButton *button, const QString &text);

private:
    QPushButton *m_leftButton;
    QPushButton *m_centerButton;
    QPushButton *m_rightButton;
    QString m_title;
    QString m_message;
    QString m_note;
    QHBoxLayout *m_buttonRow;
};
