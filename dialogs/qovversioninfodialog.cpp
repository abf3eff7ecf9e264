#include "dialogs/qovversioninfodialog.h"

#include "views/qovwidgetfactory.h"

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
    auto *layout = makeVBoxLayout(8, 2, Qt::AlignCenter);
    layout->addWidget(makeIconLabel(QStringLiteral(":/images/appIcon.svg"), QSize(48, 48)), 0,
                      Qt::AlignHCenter);
    layout->addWidget(makeLabel(tr("Velmora"), QSize(), "about-appname", Qt::AlignCenter));
    layout->addWidget(makeLabel(versionText(), QSize(), "about-version", Qt::AlignCenter));
    layout->addWidget(makeLabel(tr("Copyright (C) 2026 Korvath. All rights reserved."), QSize(),
                                "about-copyright", Qt::AlignCenter));
    layout->addSpacing(4);
    layout->addWidget(makeIconLabel(QStringLiteral(":/images/OVLogo_logotxt.svg"), QSize(113, 26)),
                      0, Qt::AlignHCenter);
    layout->addWidget(makeLabel(qtVersionText(), QSize(), "about-qt", Qt::AlignCenter));
    contents->setLayout(layout);
}
