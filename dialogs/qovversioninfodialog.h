#pragma once

#include "dialogs/qovabstractdialog.h"

// The about box: program icon, name, version, copyright, the maker's logo and, for bug
// reports, the Qt the program runs on.
class QovVersionInfoDialog : public QovAbstractDialog
{
    Q_OBJECT

public:
    explicit QovVersionInfoDialog(QWidget *parent = nullptr);

    static QString programVersion();
    static QString versionText();
    // The Qt release the program runs on and the one it was built with, which differ when
    // the system's Qt was updated after the build.
    static QString qtVersionText();

protected:
    void buildContents(QWidget *contents) override;
};
