#include "dialogs/qovcomparedialog.h"

#include "dialogs/qovelidedlabel.h"
#include "models/qovdatasettable.h"
#include "views/qovrowsummary.h"
#include "views/qovwidgetfactory.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const int kListWidth = 672;
const int kRowHeight = 32;
const int kItemWidth = 190;
const int kNameWidth = 170;
const int kStateWidth = 100;

bool banked(int type)
{
    const QovDataSetInfo *info = qovDataSetInfo(type);
    return info && info->banks > 1;
}

// "1-2, 4-8" for the banks 0, 1, 3 to 7.
QString bankRanges(const QList<int> &banks)
{
    QStringList parts;
    for (int i = 0; i < banks.size();) {
        int end = i;
        while (end + 1 < banks.size() && banks.at(end + 1) == banks.at(end) + 1) {
            ++end;
        }
        parts << (end == i
                      ? QString::number(banks.at(i) + 1)
                      : QStringLiteral("%1\u2013%2").arg(banks.at(i) + 1).arg(banks.at(end) + 1));
        i = end + 1;
    }
    return parts.join(QStringLiteral(", "));
}

QString sideText(const QovZephDataDiffEntry &entry, bool file)
{
    if (!banked(entry.type)) {
        return QString();
    }
    if (!(file ? entry.fileUsed : entry.mixerUsed)) {
        return QovCompareDialog::tr("Empty");
    }
    const QString name = file ? entry.fileName : entry.mixerName;
    return name.isEmpty() ? QovCompareDialog::tr("(no name)")
                          : QStringLiteral("\u2018%1\u2019").arg(name);
}

QovZephDataDiffEntry::State slotState(const QovZephDataDiffSlot &slot)
{
    if (slot.mixerName.isEmpty()) {
        return QovZephDataDiffEntry::OnlyInFile;
    }
    return slot.fileName.isEmpty() ? QovZephDataDiffEntry::OnlyOnMixer
                                   : QovZephDataDiffEntry::Differs;
}

QString slotName(const QString &name)
{
    return name.isEmpty() ? QovCompareDialog::tr("Empty")
                          : QStringLiteral("\u2018%1\u2019").arg(name);
}

// A differing bank is one item; a differing EQ library is one item per slot the user can name.
int differingItems(const QVector<QovZephDataDiffEntry> &entries)
{
    int count = 0;
    for (const QovZephDataDiffEntry &entry : entries) {
        if (entry.state != QovZephDataDiffEntry::Same) {
            count += std::max(1, int(entry.changedSlots.size()));
        }
    }
    return count;
}

QString stateText(QovZephDataDiffEntry::State state)
{
    switch (state) {
    case QovZephDataDiffEntry::Same:
        return QovCompareDialog::tr("same");
    case QovZephDataDiffEntry::Differs:
        return QovCompareDialog::tr("differs");
    case QovZephDataDiffEntry::OnlyInFile:
        return QovCompareDialog::tr("only in the project");
    case QovZephDataDiffEntry::OnlyOnMixer:
        return QovCompareDialog::tr("only on the mixer");
    }
    return QString();
}

} // namespace

QovCompareDialog::QovCompareDialog(const QovAppDeviceModel &device,
                                   const QovOnlineDeviceModel &mixer,
                                   const QVector<QovZephDataDiffEntry> &entries, QWidget *parent)
    : QovAbstractDialog(parent)
    , m_device(device)
    , m_mixer(mixer)
    , m_entries(entries)
{
    setWindowTitle(tr("Compare"));
    m_differing = differingItems(entries);
    if (m_differing == 0) {
        m_summary = tr("The project entry and the mixer hold the same data.");
    } else {
        m_summary =
            (m_differing == 1 ? tr("1 item differs.") : tr("%1 items differ.").arg(m_differing)) +
            QLatin1Char(' ') +
            tr("App \u2192 Device overwrites them on the mixer, Device \u2192 App "
               "overwrites them in the project.");
    }
    m_list = makeListWidget(QSize(kListWidth, 0), 0, false, "dialog-device-list");
    m_list->setAccessibleName(tr("Differences"));
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    // Only read, never chosen from, yet reached by Tab: the arrow keys scroll a long list and
    // a screen reader reads the row they reach.
    m_list->setFocusPolicy(Qt::StrongFocus);
    setup(QSize(720, 514));
    // Only a view: there is nothing to cancel.
    cancelButton()->hide();
    addRows();
}

QString QovCompareDialog::itemText(int type, int bank)
{
    return qovDataSetLabel(type, bank);
}

void QovCompareDialog::buildContents(QWidget *contents)
{
    auto *layout = makeVBoxLayout(12, 8, Qt::AlignTop | Qt::AlignLeft);
    // Each side's title starts above its column of names.
    auto *sides = makeHBoxLayout(0, 0, Qt::AlignLeft | Qt::AlignVCenter);
    const struct
    {
        QString heading;
        QString name;
    } sideTitles[] = {
        {tr("App"), m_device->deviceName()},
        {tr("Device"), tr("%1 (%2)").arg(m_mixer->deviceName(), m_mixer->ipAddress())},
    };
    const int firstSideWidth = 1 + 8 + kItemWidth + 8 + kNameWidth + 8;
    for (const auto &side : sideTitles) {
        const bool first = &side == sideTitles;
        auto *title = makeHBoxLayout(0, 8, Qt::AlignLeft | Qt::AlignVCenter);
        title->addWidget(makeLabel(side.heading, QSize(), "dialog-contents-label"));
        title->addWidget(new QovElidedLabel(side.name, QSize(230, 24), "compare-side"));
        QWidget *block = makeWidget(QSize(first ? firstSideWidth : 0, 0));
        block->setLayout(title);
        sides->addWidget(block);
    }
    layout->addLayout(sides);

    QLabel *summary = makeLabel(m_summary, QSize(kListWidth, 0), "compare-summary");
    summary->setWordWrap(true);
    layout->addWidget(summary);

    auto *block = makeVBoxLayout(0, 0, Qt::AlignTop | Qt::AlignLeft);
    QWidget *header = makeWidget(QSize(kListWidth, 28), "dialog-device-list-header");
    header->setAttribute(Qt::WA_StyledBackground);
    auto *headerRow = makeHBoxLayout(0, 8, Qt::AlignLeft | Qt::AlignVCenter);
    headerRow->setContentsMargins(8, 0, 8, 0);
    headerRow->addWidget(makeLabel(tr("Data"), QSize(kItemWidth, 24)));
    headerRow->addWidget(makeLabel(tr("In the project"), QSize(kNameWidth, 24)));
    headerRow->addWidget(makeLabel(tr("On the mixer"), QSize(kNameWidth, 24)));
    headerRow->addWidget(makeLabel(tr("State"), QSize(kStateWidth, 24)));
    header->setLayout(headerRow);
    block->addWidget(header);
    block->addWidget(m_list, 1);
    layout->addLayout(block, 1);
    contents->setLayout(layout);
}

void QovCompareDialog::addRows()
{
    // Per data set in transfer order: what differs, bank by bank, then one line for the rest.
    for (int i = 0; i < m_entries.size();) {
        const int type = m_entries.at(i).type;
        QList<int> same;
        int total = 0;
        for (; i < m_entries.size() && m_entries.at(i).type == type; ++i, ++total) {
            const QovZephDataDiffEntry &entry = m_entries.at(i);
            if (entry.state == QovZephDataDiffEntry::Same) {
                same << entry.bank;
                continue;
            }
            if (!entry.changedSlots.isEmpty()) {
                addSlotRows(entry);
                continue;
            }
            addRow({itemText(type, entry.bank), sideText(entry, true), sideText(entry, false),
                    stateText(entry.state)},
                   true);
        }
        if (same.isEmpty()) {
            continue;
        }
        QString item = itemText(type, same.first());
        if (banked(type) && same.size() > 1) {
            item = (type == QovDataSetInfo::kPreset ? tr("Presets %1") : tr("Partial presets %1"))
                       .arg(bankRanges(same));
        }
        const QString note = same.size() == total && total > 1 ? tr("all identical") : QString();
        addRow({item, note, QString(), stateText(QovZephDataDiffEntry::Same)}, false);
    }
}

void QovCompareDialog::addSlotRows(const QovZephDataDiffEntry &entry)
{
    for (const QovZephDataDiffSlot &slot : entry.changedSlots) {
        const QString item =
            (entry.type == QovDataSetInfo::kEq12Band ? tr("12-band EQ %1") : tr("4-band EQ %1"))
                .arg(slot.slot + 1);
        addRow(
            {item, slotName(slot.fileName), slotName(slot.mixerName), stateText(slotState(slot))},
            true);
    }
    addRow({tr("%1, other slots").arg(itemText(entry.type, 0)), QString(), QString(),
            stateText(QovZephDataDiffEntry::Same)},
           false);
}

void QovCompareDialog::addRow(const QStringList &columns, bool differs)
{
    auto *item = new QListWidgetItem(m_list);
    item->setSizeHint(QSize(kListWidth - 2, kRowHeight));
    auto *row = new QWidget();
    row->setObjectName(m_list->count() % 2 == 1 ? QStringLiteral("even-line")
                                                : QStringLiteral("odd-line"));
    row->setAttribute(Qt::WA_StyledBackground);
    auto *layout = makeHBoxLayout(0, 8, Qt::AlignLeft | Qt::AlignVCenter);
    layout->setContentsMargins(8, 0, 8, 0);
    const int widths[] = {kItemWidth, kNameWidth, kNameWidth, kStateWidth};
    for (int c = 0; c < columns.size(); ++c) {
        const char *name = c == 3 ? (differs ? "compare-differs" : "compare-same") : nullptr;
        layout->addWidget(new QovElidedLabel(columns.at(c), QSize(widths[c], 24), name));
    }
    row->setLayout(layout);
    qovSetRowSummary(row, qovJoinSummary(columns));
    qovSetRowWidget(m_list, item, row);
}

QStringList QovCompareDialog::rowTexts() const
{
    QStringList rows;
    for (int i = 0; i < m_list->count(); ++i) {
        QStringList columns;
        const QWidget *row = m_list->itemWidget(m_list->item(i));
        for (const QLabel *label :
             row->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly)) {
            columns << label->text();
        }
        rows << columns.join(QStringLiteral(" | "));
    }
    return rows;
}

QString QovCompareDialog::summaryText() const
{
    return m_summary;
}
