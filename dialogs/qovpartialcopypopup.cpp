#include "dialogs/qovpartialcopypopup.h"

#include "dialogs/qovcomparedialog.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QStringList>

QovPartialCopyPopup::QovPartialCopyPopup(const QString &mixerName, const QString &address,
                                         const QVector<QovDataSlot> &unreadable, QWidget *parent)
    : QovAbstractPopup(384, 178, tr("Partial Safety Copy"),
                       messageFor(mixerName, address, unreadable), parent)
{
    leftButton()->hide();
    makeAcceptButton(centerButton(), tr("Overwrite"));
    rightButton()->setText(tr("Cancel"));
    buttonRow()->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(centerButton(), &QPushButton::pressed, this, &QDialog::accept);
    connect(rightButton(), &QPushButton::pressed, this, &QDialog::reject);
}

QString QovPartialCopyPopup::messageFor(const QString &mixerName, const QString &address,
                                        const QVector<QovDataSlot> &unreadable)
{
    return tr("The mixer %1 (%2) would not give all of its data. These data sets could not be "
              "read:\n%3\n\nVelmora can keep a safety copy of the rest, which names the sets it "
              "lacks, and then overwrite the mixer. What these sets hold now will be lost.")
        .arg(mixerName, address, setsText(unreadable));
}

QString QovPartialCopyPopup::setsText(const QVector<QovDataSlot> &sets)
{
    QStringList names;
    for (const QovDataSlot &set : sets) {
        names.append(QovCompareDialog::itemText(set.code, set.bank));
    }
    return names.join(QStringLiteral(", "));
}
