#pragma once

#include "dialogs/qovabstractdialog.h"

class QLineEdit;
class QPlainTextEditWithEditedSignal;
class QovProjectDataModel;

// Edits the title, author, dealer and comment of a project. The editors refuse what the
// project file could not hold (its reserved characters, its length limits); apply() stores
// the texts after the dialog was accepted.
class QovProjectMetaDataDialog : public QovAbstractDialog
{
    Q_OBJECT

public:
    explicit QovProjectMetaDataDialog(QovProjectDataModel *project, QWidget *parent = nullptr);

    void apply();
    QovProjectDataModel *project() const { return m_project; }

    QLineEdit *nameEdit() const { return m_nameEdit; }
    QLineEdit *authorEdit() const { return m_authorEdit; }
    QLineEdit *dealerEdit() const { return m_dealerEdit; }
    QPlainTextEditWithEditedSignal *commentEdit() const { return m_commentEdit; }

protected:
    void buildContents(QWidget *contents) override;

private:
    QLineEdit *makeTextEdit(const QString &text, int maxLength);

    QovProjectDataModel *m_project;
    QLineEdit *m_nameEdit;
    QLineEdit *m_authorEdit;
    QLineEdit *m_dealerEdit;
    QPlainTextEditWithEditedSignal *m_commentEdit;
};
