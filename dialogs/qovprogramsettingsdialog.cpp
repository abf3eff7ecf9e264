#include "dialogs/qovprogramsettingsdialog.h"

#include "device/qovhttprequests.h"
#include "models/qovprogramsettingsmodel.h"
#include "views/qovwidgetfactory.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

QCheckBox *makeToggle()
{
    auto *toggle = new QCheckBox();
    toggle->setObjectName(QStringLiteral("toggle-switch"));
    toggle->setCursor(Qt::PointingHandCursor);
    return toggle;
}

QWidget *makeSeparator()
{
    QWidget *line = makeWidget(QSize(0, 1), "dialog-contents-separator");
    line->setAttribute(Qt::WA_StyledBackground);
    return line;
}

// A setting's name on the left and its control on the right.
QHBoxLayout *makeItemRow(const QString &name, QWidget *control)
{
    auto *row = makeHBoxLayout(0, 0, Qt::AlignVCenter);
    row->setContentsMargins(32, 0, 24, 0);
    row->addWidget(makeLabelFor(control, name, QSize(0, 40), "settings-item"));
    row->addStretch();
    row->addWidget(control);
    return row;
}

} // namespace

QovProgramSettingsDialog::QovProgramSettingsDialog(QWidget *parent)
    : QovAbstractDialog(parent)
    , m_autoReconnectToggle(makeToggle())
    , m_directionBox(makeComboBox("settings-combobox", tr("Data Direction")))
    , m_topPageToggle(makeToggle())
{
    setWindowTitle(tr("Settings"));
    m_directionBox->setFixedWidth(160);
    m_directionBox->addItem(tr("App to Device"));
    m_directionBox->addItem(tr("Device to App"));

    const QovProgramSettingsModel settings;
    m_autoReconnectToggle->setChecked(settings.autoReconnect() != QovProgramSettingsModel::NONE);
    m_directionBox->setCurrentIndex(
        settings.autoReconnect() == QovProgramSettingsModel::DEVICE2APP ? 1 : 0);
    m_topPageToggle->setChecked(settings.topPageVisible());
    setup(QSize(664, 454));
}

void QovProgramSettingsDialog::buildContents(QWidget *contents)
{
    auto *layout = makeVBoxLayout(0, 8, Qt::AlignTop);
    layout->setContentsMargins(0, 16, 0, 16);
    layout->addWidget(makeLabel(tr("Auto Reconnect"), QSize(0, 32), "settings-category"));
    m_autoReconnectToggle->setAccessibleName(tr("Auto Reconnect Enabled"));
    layout->addLayout(makeItemRow(tr("Enabled"), m_autoReconnectToggle));
    layout->addLayout(makeItemRow(tr("Data Direction"), m_directionBox));
    layout->addWidget(makeSeparator());
    layout->addSpacing(8);
    layout->addWidget(makeLabel(tr("Page Settings"), QSize(0, 32), "settings-category"));
    layout->addLayout(makeItemRow(tr("Show top Menu Enabled"), m_topPageToggle));
    layout->addWidget(makeSeparator());
    contents->setLayout(layout);
}

void QovProgramSettingsDialog::apply()
{
    QovProgramSettingsModel settings;
    settings.setTopPageVisible(m_topPageToggle->isChecked());
    QovProgramSettingsModel::AutoReconnectType mode = QovProgramSettingsModel::NONE;
    if (m_autoReconnectToggle->isChecked()) {
        mode = m_directionBox->currentIndex() == 0 ? QovProgramSettingsModel::APP2DEVICE
                                                   : QovProgramSettingsModel::DEVICE2APP;
    }
    settings.setAutoReconnect(mode);
    settings.save();
    // Mixer requests keep their settings for the process; let them see the saved file.
    reloadHttpSettings();
}
