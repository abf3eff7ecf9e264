#pragma once

#include "dialogs/qovabstractdialog.h"

// The about box: program icon, name, version, copyright and the maker's logo.
class QovVersionInfoDialog : public QovAbstractDialog
{
    Q_OBJECT

public:
    explicit QovVersionInfoDialog(QWidget *parent = nullptr);

    static QString versionText();

protected:
    void buildContents(QWidget *contents) override;
};
