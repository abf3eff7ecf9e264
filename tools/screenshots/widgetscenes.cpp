#include "screenshotscene.h"

#include "views/qmenuright.h"
#include "views/qovsortlabel.h"
#include "views/qovwidgetfactory.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// A dialog-coloured panel holding a list header with one sort label in each state.
QWidget *sortLabelPanel()
{
    QWidget *panel = makeWidget(QSize(480, 88), "dialog-contents-bg");
    auto *outer = makeVBoxLayout(24, 0, Qt::AlignLeft | Qt::AlignVCenter);
    QWidget *header = makeWidget(QSize(432, 32), "dialog-device-list-header");
    auto *row = makeHBoxLayout(0, 16, Qt::AlignLeft | Qt::AlignVCenter);
    row->addSpacing(12);
    const struct
    {
        const char *text;
        QovSortLabel::SortOrder order;
    } columns[] = {{"Device Name", QovSortLabel::NONE},
                   {"IP Address", QovSortLabel::ASCENDING},
                   {"Device ID", QovSortLabel::DESCENDING}};
    for (const auto &column : columns) {
        QovSortLabel *label = makeSortLabel(QString::fromLatin1(column.text), QSize(128, 32));
        label->setOrder(column.order);
        row->addWidget(label);
    }
    header->setLayout(row);
    outer->addWidget(header);
    panel->setLayout(outer);
    return panel;
}

// The status part of a device row with its menu button; the menu opens right-aligned.
QWidget *statusMenuHost()
{
    QWidget *page = makeWidget(QSize(420, 200), "project-view");
    auto *pageLayout = makeVBoxLayout(0, 0, Qt::AlignTop | Qt::AlignLeft);
    QWidget *row = makeWidget(QSize(420, 64), "project-device-list-item");
    auto *rowLayout = makeHBoxLayout(0, 4, Qt::AlignLeft | Qt::AlignVCenter);
    rowLayout->addSpacing(160);
    rowLayout->addWidget(
        makeIconLabel(QStringLiteral(":/icons/ic_sync-missing.svg"), QSize(24, 24)));
    QLabel *status = makeLabel(QStringLiteral("Missing"), QSize(), "device-status");
    status->setStyleSheet(QStringLiteral("color:#ff6b5b;"));
    rowLayout->addWidget(status);
    QPushButton *button = makeIconButton(QStringLiteral(":/icons/ic_arrow_drop_down.svg"),
                                         QSize(24, 24), "status-button");
    button->setFixedSize(36, 36);
    button->setAccessibleName(QStringLiteral("Status"));
    auto *menu = new QMenuRight(button, button);
    menu->setObjectName(QStringLiteral("popup"));
    menu->setFixedWidth(155);
    // A missing device offers to reconnect or to disconnect.
    menu->addAction(QStringLiteral("Connect"))->setVisible(false);
    menu->addAction(QStringLiteral("Reconnect"));
    menu->addAction(QStringLiteral("Disconnect"));
    button->setMenu(menu);
    rowLayout->addWidget(button);
    rowLayout->addStretch();
    row->setLayout(rowLayout);
    pageLayout->addWidget(row);
    page->setLayout(pageLayout);
    return page;
}

void openStatusMenu(QWidget *page)
{
    auto *button = page->findChild<QPushButton *>(QStringLiteral("status-button"));
    button->setDown(true);
    button->menu()->popup(button->mapToGlobal(QPoint(0, button->height())));
}

} // namespace

std::vector<ScreenshotScene> widgetScenes()
{
    return {
        {QStringLiteral("widget-sortlabel-states"), sortLabelPanel, nullptr, 0, 0},
        {QStringLiteral("widget-menuright-open"), statusMenuHost, openStatusMenu, 0, 0},
    };
}
