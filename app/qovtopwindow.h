#pragma once

#include <QWidget>

// The start page. Stand-in until the start page lands: an empty window that deletes itself.
class QovTopWindow : public QWidget
{
    Q_OBJECT

public:
    explicit QovTopWindow(QWidget *parent = nullptr);
};
