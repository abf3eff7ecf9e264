#include "dialogs/qovversioninfodialog.h"

#include "views/qovwidgetfactory.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

QovVersionInfoDialog::QovVersionInfoDialog(QWidget *parent)
    : QovAbstractDialog(parent)
{
    setWindowTitle(tr("About"));
    setup(QSize(384, 230));
    // Nothing to cancel in an about box.
    cancelButton()->hide();
}

QString QovVersionInfoDialog::programVersion()
{
    return QStringLiteral("1.0.0");
}

QString QovVersionInfoDialog::versionText()
{
    return tr("Version ") + programVersion();
}

QString QovVersionInfoDialog::qtVersionText()
{
    return tr("Qt %1, built with Qt %2")
        .arg(QString::fromLatin1(qVersion()), QStringLiteral(QT_VERSION_STR));
}

void QovVersionInfoDialog::buildContents(QWidget *contents)
{
    contents->setObjectName(QStringLiteral("about"));
    // Name and version sit beside the icon: stacked under it, the items need more height than
    // the box has, and a layout that cannot fit them lays them over each other.
    auto *title = makeVBoxLayout(0, 0, Qt::AlignLeft | Qt::AlignVCenter);
    title->addWidget(makeLabel(tr("Velmora"), QSize(), "about-appname", Qt::AlignLeft));
    title->addWidget(makeLabel(versionText(), QSize(), "about-version", Qt::AlignLeft));
    auto *header = makeHBoxLayout(0, 12, Qt::AlignHCenter | Qt::AlignVCenter);
    header->addWidget(makeIconLabel(QStringLiteral(":/images/appIcon.svg"), QSize(48, 48)));
    header->addLayout(title);

    auto *layout = makeVBoxLayout(8, 2, Qt::AlignCenter);
    layout->addLayout(header);
    layout->addSpacing(4);
    layout->addWidget(makeLabel(tr("Copyright (C) 2026 Korvath. All rights reserved."), QSize(),
                                "about-copyright", Qt::AlignCenter));
    layout->addSpacing(4);
    layout->addWidget(makeIconLabel(QStringLiteral(":/images/OVLogo_logotxt.svg"), QSize(113, 26)),
                      0, Qt::AlignHCenter);
    layout->addWidget(makeLabel(qtVersionText(), QSize(), "about-qt", Qt::AlignCenter));
    contents->setLayout(layout);
}
