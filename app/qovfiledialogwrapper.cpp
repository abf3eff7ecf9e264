#include "app/qovfiledialogwrapper.h"

#include <QDir>
#include <QFileDialog>

namespace {

QString runFileDialog(QWidget *parent, const QString &title, const QString &filter,
                      QFileDialog::AcceptMode mode, QFileDialog::FileMode fileMode)
{
    QFileDialog dialog(parent, title, QDir::homePath(), filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(fileMode);
    // A name typed without an extension still becomes a project file.
    if (mode == QFileDialog::AcceptSave) {
        dialog.setDefaultSuffix(QStringLiteral("vlmproj"));
    }
    dialog.setWindowModality(Qt::ApplicationModal);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return QString();
    }
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString QovFileDialogWrapper::getOpenFileName(QWidget *parent)
{
    return runFileDialog(parent, tr("Open Project"), tr("VLM Project (*.vlmproj);;All Files (*)"),
                         QFileDialog::AcceptOpen, QFileDialog::ExistingFile);
}

QString QovFileDialogWrapper::getSaveFileName(QWidget *parent)
{
    return runFileDialog(parent, tr("Save Project"), tr("VLM Project (*.vlmproj);;All Files (*)"),
                         QFileDialog::AcceptSave, QFileDialog::AnyFile);
}
