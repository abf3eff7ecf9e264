#pragma once

#include <QPlainTextEdit>

class QValidator;

// A multi-line editor that enforces a validator and a length limit while the user types or
// pastes, and reports the end of editing when it loses focus, as a line edit does.
class QPlainTextEditWithEditedSignal : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit QPlainTextEditWithEditedSignal(QWidget *parent = nullptr);

    int maxLength() const { return m_maxLength; }
    // A negative length means no limit.
    void setMaxLength(int length);
    // Not owned; the caller keeps the validator alive as long as the editor uses it.
    void setValidator(QValidator *validator);

public Q_SLOTS:
    void onTextChanged();

Q_SIGNALS:
    void editingFinished();

protected:
    void focusOutEvent(QFocusEvent *event) override;

private:
    bool removeCharacterBeforeCursor();

    int m_maxLength = -1;
    QValidator *m_validator = nullptr;
    // Removing text changes it again; the nested notification must not start another pass.
    bool m_correcting = false;
};
