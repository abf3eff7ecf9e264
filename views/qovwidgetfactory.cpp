#include "views/qovwidgetfactory.h"

#include "views/qovsortlabel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace {

void applyObjectName(QObject *object, const char *objectName)
{
    if (objectName) {
        object->setObjectName(QString::fromLatin1(objectName));
    }
}

// Buttons and sort labels are clicked, so they all show the pointing hand.
template<typename Button>
Button *finishButton(Button *button, const QSize &size, const char *objectName)
{
    applyFixedSize(button, size);
    applyObjectName(button, objectName);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

template<typename Layout>
Layout *makeBoxLayout(int margin, int spacing, Qt::Alignment alignment)
{
    auto *layout = new Layout();
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(spacing);
    layout->setAlignment(alignment);
    return layout;
}

} // namespace

void applyFixedSize(QWidget *widget, const QSize &size)
{
    if (size.width() > 0) {
        widget->setFixedWidth(size.width());
    }
    if (size.height() > 0) {
        widget->setFixedHeight(size.height());
    }
}

QWidget *makeWidget(const QSize &size, const char *objectName)
{
    auto *widget = new QWidget();
    applyFixedSize(widget, size);
    applyObjectName(widget, objectName);
    return widget;
}

QHBoxLayout *makeHBoxLayout(int margin, int spacing, Qt::Alignment alignment)
{
    return makeBoxLayout<QHBoxLayout>(margin, spacing, alignment);
}

QVBoxLayout *makeVBoxLayout(int margin, int spacing, Qt::Alignment alignment)
{
    return makeBoxLayout<QVBoxLayout>(margin, spacing, alignment);
}

QLabel *makeLabel(const QString &text, const QSize &size, const char *objectName,
                  Qt::Alignment alignment)
{
    auto *label = new QLabel();
    if (!text.isEmpty()) {
        label->setText(text);
    }
    applyFixedSize(label, size);
    applyObjectName(label, objectName);
    label->setAlignment(alignment);
    return label;
}

namespace {

// Passes a click on a label on to its check box.
class LabelClickTicks : public QObject
{
public:
    LabelClickTicks(QLabel *label, QAbstractButton *box)
        : QObject(label)
        , m_label(label)
        , m_box(box)
    {
        label->installEventFilter(this);
        label->setCursor(Qt::PointingHandCursor);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_label && event->type() == QEvent::MouseButtonRelease && m_box &&
            m_box->isEnabled()) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::LeftButton && m_label->rect().contains(mouse->pos())) {
                m_box->click();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QLabel *m_label;
    QPointer<QAbstractButton> m_box;
};

} // namespace

QLabel *makeLabelFor(QWidget *control, const QString &text, const QSize &size,
                     const char *objectName)
{
    QLabel *label = makeLabel(text, size, objectName);
    label->setBuddy(control);
    if (control->accessibleName().isEmpty()) {
        control->setAccessibleName(text);
    }
    if (auto *box = qobject_cast<QCheckBox *>(control)) {
        new LabelClickTicks(label, box);
    }
    return label;
}

QComboBox *makeComboBox(const char *objectName, const QString &accessibleName)
{
    auto *box = new QComboBox();
    box->setObjectName(QLatin1String(objectName));
    box->setItemDelegate(new QStyledItemDelegate(box));
    box->setAccessibleName(accessibleName);
    box->view()->setAccessibleName(accessibleName);
    return box;
}

QPushButton *makeButton(const QString &text, const QSize &size, const char *objectName)
{
    auto *button = new QPushButton();
    if (!text.isEmpty()) {
        button->setText(text);
    }
    return finishButton(button, size, objectName);
}

QPushButton *makeIconButton(const QString &iconFilePath, const QSize &size, const char *objectName)
{
    auto *button = new QPushButton();
    button->setIcon(makeIcon(iconFilePath));
    button->setIconSize(size);
    return finishButton(button, size, objectName);
}

QovSortLabel *makeSortLabel(const QString &text, const QSize &size, const char *objectName)
{
    auto *label = new QovSortLabel();
    label->setText(text);
    return finishButton(label, size, objectName);
}

QLineEdit *makeLineEdit(const QString &text, const QString &placeholderText, const QSize &size,
                        const char *objectName)
{
    auto *edit = new QLineEdit();
    if (!text.isEmpty()) {
        edit->setText(text);
    }
    if (!placeholderText.isEmpty()) {
        edit->setPlaceholderText(placeholderText);
    }
    applyFixedSize(edit, size);
    applyObjectName(edit, objectName);
    return edit;
}

QListWidget *makeListWidget(const QSize &size, int itemSpacing, bool dragAndDrop,
                            const char *objectName)
{
    auto *list = new QListWidget();
    list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    applyFixedSize(list, size);
    list->setSpacing(itemSpacing);
    list->setFrameShape(QFrame::NoFrame);
    if (dragAndDrop) {
        list->setAcceptDrops(true);
        list->setDragEnabled(true);
        list->setDragDropMode(QAbstractItemView::InternalMove);
        list->setDropIndicatorShown(true);
    }
    applyObjectName(list, objectName);
    return list;
}

QLabel *makeIconLabel(const QString &iconFilePath, const QSize &size, Qt::Alignment alignment)
{
    return makePixmapLabel(makeIcon(iconFilePath), size, alignment);
}

QLabel *makePixmapLabel(const QIcon &icon, const QSize &size, Qt::Alignment alignment)
{
    auto *label = new QLabel();
    label->setPixmap(icon.pixmap(size, QIcon::Normal, QIcon::Off));
    applyFixedSize(label, size);
    label->setAlignment(alignment);
    return label;
}

QIcon makeIcon(const QString &filePath)
{
    QIcon icon;
    icon.addFile(filePath, QSize(), QIcon::Normal, QIcon::Off);
    return icon;
}

QIcon makeIcon(const QString &filePath, const QString &filePath2x)
{
    QIcon icon = makeIcon(filePath);
    icon.addFile(filePath2x, QSize(), QIcon::Normal, QIcon::Off);
    return icon;
}
