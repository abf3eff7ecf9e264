#include "views/qplaintexteditwitheditedsignal.h"

#include <QTextCursor>
#include <QValidator>

QPlainTextEditWithEditedSignal::QPlainTextEditWithEditedSignal(QWidget *parent)
    : QPlainTextEdit(parent)
{
    // A comment needs no tab character, and Tab must lead on to the dialog's buttons.
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::textChanged, this,
            &QPlainTextEditWithEditedSignal::onTextChanged);
}

void QPlainTextEditWithEditedSignal::setMaxLength(int length)
{
    m_maxLength = length;
}

void QPlainTextEditWithEditedSignal::setValidator(QValidator *validator)
{
    m_validator = validator;
}

bool QPlainTextEditWithEditedSignal::removeCharacterBeforeCursor()
{
    QTextCursor cursor = textCursor();
    if (cursor.position() == 0) {
        return false;
    }
    cursor.deletePreviousChar();
    return true;
}

void QPlainTextEditWithEditedSignal::onTextChanged()
{
    if (m_correcting) {
        return;
    }
    m_correcting = true;
    // The newest input sits just before the cursor, so removing from there undoes the
    // offending keystroke or the tail of a paste and keeps what was there before.
    if (m_validator) {
        while (true) {
            QString text = toPlainText();
            int position = textCursor().position();
            if (m_validator->validate(text, position) != QValidator::Invalid) {
                break;
            }
            if (!removeCharacterBeforeCursor()) {
                break;
            }
        }
    }
    if (m_maxLength >= 0) {
        while (toPlainText().length() > m_maxLength && removeCharacterBeforeCursor()) {
        }
    }
    m_correcting = false;
}

void QPlainTextEditWithEditedSignal::focusOutEvent(QFocusEvent *event)
{
    QPlainTextEdit::focusOutEvent(event);
    Q_EMIT editingFinished();
}
