#pragma once

#include "dialogs/qovabstractdialog.h"

class QCheckBox;
class QComboBox;

// The user options: automatic reconnection with its data direction, and whether the start
// page is shown. apply() stores them after the dialog was accepted; a cancelled dialog writes
// nothing.
class QovProgramSettingsDialog : public QovAbstractDialog
{
    Q_OBJECT

public:
    explicit QovProgramSettingsDialog(QWidget *parent = nullptr);

    void apply();

    QCheckBox *autoReconnectToggle() const { return m_autoReconnectToggle; }
    QComboBox *directionBox() const { return m_directionBox; }
    QCheckBox *topPageToggle() const { return m_topPageToggle; }

protected:
    void buildContents(QWidget *contents) override;

private:
    QCheckBox *m_autoReconnectToggle;
    QComboBox *m_directionBox;
    QCheckBox *m_topPageToggle;
};
