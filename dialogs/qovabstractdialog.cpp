#include "dialogs/qovabstractdialog.h"

#include "dialogs/qovdialogplacement.h"
#include "views/qovprogressview.h"
#include "views/qovwidgetfactory.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

const int kButtonBarHeight = 46;
const int kContentsInset = 12;

} // namespace

QovAbstractDialog::QovAbstractDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_okButton(makeButton(tr("OK"), QSize(64, 30), "dialog-button-accept"))
    , m_cancelButton(makeButton(tr("Cancel"), QSize(64, 30), "dialog-button-reject"))
    , m_progressView(new QovProgressView(this))
{
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void QovAbstractDialog::setup(const QSize &size)
{
    setFixedSize(size);
    auto *layout = makeVBoxLayout(0, 0, Qt::AlignTop | Qt::AlignHCenter);

    const QSize bodySize(size.width(), size.height() - kButtonBarHeight);
    QWidget *body = makeWidget(bodySize, "dialog-body-bg");
    QWidget *contents =
        makeWidget(bodySize - QSize(2 * kContentsInset, 2 * kContentsInset), "dialog-contents-bg");
    contents->setParent(body);
    contents->move(kContentsInset, kContentsInset);
    buildContents(contents);
    layout->addWidget(body);

    QWidget *buttonBar = makeWidget(QSize(size.width(), kButtonBarHeight), "dialog-button-bar");
    auto *buttonRow = makeHBoxLayout(8, 16, Qt::AlignRight | Qt::AlignVCenter);
    buttonRow->addWidget(m_okButton);
    buttonRow->addWidget(m_cancelButton);
    buttonBar->setLayout(buttonRow);
    layout->addWidget(buttonBar);
    setLayout(layout);
    // Enter means OK wherever the keyboard is, unless another button has the focus; only now
    // does the button know its dialog.
    m_okButton->setDefault(true);
}

void QovAbstractDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        qovCenterOverActiveWindow(this);
    }
}

void QovAbstractDialog::setBusy(bool busy)
{
    m_progressView->setVisible(busy);
}
