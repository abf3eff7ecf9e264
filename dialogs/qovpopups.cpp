#include "dialogs/qovpopups.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

QovErrorPopup::QovErrorPopup(const QString &title, const QString &message, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("popup-body"));
    // The frame shows no title, but task switchers and accessibility tools still read it.
    setWindowTitle(title);
    setFixedWidth(384);
    setMinimumHeight(178);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    auto *titleLabel = new QLabel(title, this);
    titleLabel->setObjectName(QStringLiteral("popup-title"));
    auto *messageLabel = new QLabel(message + QLatin1Char('\n'), this);
    messageLabel->setObjectName(QStringLiteral("popup-message"));
    messageLabel->setWordWrap(true);
    auto *ok = new QPushButton(tr("OK"), this);
    ok->setObjectName(QStringLiteral("dialog-button-accept"));
    connect(ok, &QPushButton::pressed, this, &QDialog::accept);
    layout->addWidget(titleLabel);
    layout->addWidget(messageLabel);
    layout->addWidget(ok, 0, Qt::AlignCenter);
}

void qovShowError(const QString &title, const QString &message)
{
    QovErrorPopup popup(title, message);
    popup.exec();
}
