#pragma once

#include <QDialog>

class QPushButton;
class QovProgressView;

// A fixed-size modal form: a body with an inset contents area that each concrete dialog fills,
// an OK/Cancel bar below it and a busy overlay for background work.
// Concrete dialogs call setup() at the end of their constructor, once their own members exist,
// because setup() calls buildContents().
class QovAbstractDialog : public QDialog
{
    Q_OBJECT

public:
    explicit QovAbstractDialog(QWidget *parent = nullptr);

    void setBusy(bool busy);

protected:
    void setup(const QSize &size);
    void showEvent(QShowEvent *event) override;
    // Fills the empty contents widget, which is already sized and placed.
    virtual void buildContents(QWidget *contents) = 0;

    QPushButton *okButton() const { return m_okButton; }
    QPushButton *cancelButton() const { return m_cancelButton; }

private:
    QPushButton *m_okButton;
    QPushButton *m_cancelButton;
    QovProgressView *m_progressView;
};
