#include "dialogs/qovprojectmetadatadialog.h"

#include "dialogs/qovtextvalidators.h"
#include "models/qovprojectdatamodel.h"
#include "models/qovtextrules.h"
#include "views/qovwidgetfactory.h"
#include "views/qplaintexteditwitheditedsignal.h"

#include <QDebug>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace {

void replaceByTrimmed(QLineEdit *edit)
{
    const QString trimmed = edit->text().trimmed();
    if (trimmed != edit->text()) {
        edit->setText(trimmed);
    }
}

} // namespace

QovProjectMetaDataDialog::QovProjectMetaDataDialog(QovProjectDataModel *project, QWidget *parent)
    : QovAbstractDialog(parent)
    , m_project(project)
    , m_nameEdit(makeTextEdit(project->projectName(), QovTextRules::titleLength))
    , m_authorEdit(makeTextEdit(project->projectAuthor(), QovTextRules::authorLength))
    , m_dealerEdit(makeTextEdit(project->projectDealer(), QovTextRules::dealerLength))
    , m_commentEdit(new QPlainTextEditWithEditedSignal())
{
    setWindowTitle(tr("Project Information"));
    m_commentEdit->setObjectName(QStringLiteral("metadata-edit"));
    m_commentEdit->setFixedSize(400, 120);
    m_commentEdit->setMaxLength(QovTextRules::commentLength);
    m_commentEdit->setValidator(makeProjectTextValidator(m_commentEdit));
    m_commentEdit->setPlainText(project->projectDescription());
    connect(m_commentEdit, &QPlainTextEditWithEditedSignal::editingFinished, this, [this] {
        const QString trimmed = m_commentEdit->toPlainText().trimmed();
        if (trimmed != m_commentEdit->toPlainText()) {
            m_commentEdit->setPlainText(trimmed);
        }
    });
    setup(QSize(664, 454));
}

QLineEdit *QovProjectMetaDataDialog::makeTextEdit(const QString &text, int maxLength)
{
    QLineEdit *edit = makeLineEdit(text, QString(), QSize(400, 30), "metadata-edit");
    edit->setMaxLength(maxLength);
    edit->setValidator(makeProjectTextValidator(edit));
    connect(edit, &QLineEdit::editingFinished, edit, [edit] { replaceByTrimmed(edit); });
    return edit;
}

void QovProjectMetaDataDialog::buildContents(QWidget *contents)
{
    auto *grid = new QGridLayout();
    grid->setContentsMargins(24, 16, 24, 16);
    grid->setHorizontalSpacing(24);
    grid->setVerticalSpacing(16);
    grid->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(makeLabel(tr("Project Information"), QSize(0, 24), "dialog-contents-label"), 0,
                    0, 1, 2);
    const struct
    {
        QString label;
        QWidget *editor;
    } rows[] = {
        {tr("Project Name"), m_nameEdit},
        {tr("Author Name"), m_authorEdit},
        {tr("Dealer Name"), m_dealerEdit},
        {tr("Comment"), m_commentEdit},
    };
    int row = 1;
    for (const auto &entry : rows) {
        grid->addWidget(makeLabelFor(entry.editor, entry.label, QSize(160, 30), "metadata-name"),
                        row, 0, Qt::AlignLeft | Qt::AlignTop);
        grid->addWidget(entry.editor, row, 1, Qt::AlignLeft | Qt::AlignTop);
        ++row;
    }
    contents->setLayout(grid);
}

void QovProjectMetaDataDialog::apply()
{
    // The last edit may not have finished yet when OK was pressed with the keyboard.
    for (QLineEdit *edit : {m_nameEdit, m_authorEdit, m_dealerEdit}) {
        replaceByTrimmed(edit);
    }
    m_project->setProjectName(m_nameEdit->text());
    m_project->setProjectAuthor(m_authorEdit->text());
    m_project->setProjectDealer(m_dealerEdit->text());
    m_project->setProjectDescription(m_commentEdit->toPlainText().trimmed());
    qDebug() << m_project->debugText();
}
