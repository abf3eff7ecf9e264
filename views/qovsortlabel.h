#pragma once

#include <QPushButton>

class QLabel;

// A clickable column header: its text followed by an arrow that shows the sort order.
// The owner decides what a click means and sets the order; the label only shows it.
class QovSortLabel : public QPushButton
{
    Q_OBJECT
    Q_PROPERTY(SortOrder order READ order WRITE setOrder NOTIFY orderChanged)

public:
    enum SortOrder { NONE = 0, ASCENDING = 1, DESCENDING = 2 };
    Q_ENUM(SortOrder)

    explicit QovSortLabel(QWidget *parent = nullptr);

    SortOrder order() const { return m_order; }
    QString text() const;
    // Hides QPushButton::setText: the text lives in its own label beside the arrow.
    void setText(const QString &text);
    // Replaces the arrow; it is drawn at the button's icon size.
    void setArrowIcon(const QIcon &icon);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public Q_SLOTS:
    void setOrder(QovSortLabel::SortOrder order);

Q_SIGNALS:
    void orderChanged(QovSortLabel::SortOrder order);

private:
    SortOrder m_order = NONE;
    QLabel *m_textLabel = nullptr;
    QLabel *m_iconLabel = nullptr;
};

Q_DECLARE_METATYPE(QovSortLabel::SortOrder)
