#pragma once

#include <QIcon>
#include <QSize>
#include <QString>
#include <Qt>

class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QVBoxLayout;
class QWidget;
class QovSortLabel;

// Builders for the styled widgets every window uses. Each widget is created without a parent
// for the caller to place. A size component of 0 or less leaves that direction unfixed, and a
// null object name sets none; the style sheet selects widgets by these names.

QWidget *makeWidget(const QSize &size, const char *objectName = nullptr);
QHBoxLayout *makeHBoxLayout(int margin, int spacing, Qt::Alignment alignment);
QVBoxLayout *makeVBoxLayout(int margin, int spacing, Qt::Alignment alignment);
QLabel *makeLabel(const QString &text, const QSize &size, const char *objectName = nullptr,
                  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);
// A label beside `control` that names it: a screen reader reads the label's text as the
// control's name, and a click on the label of a check box ticks the box, as on its own text.
QLabel *makeLabelFor(QWidget *control, const QString &text, const QSize &size,
                     const char *objectName = nullptr);
QPushButton *makeButton(const QString &text, const QSize &size, const char *objectName = nullptr);
// A combo box whose opened list the style sheet paints: the platform's own list would draw the
// box's light text on its light background.
// `accessibleName` names the box and its opened list for screen readers.
QComboBox *makeComboBox(const char *objectName, const QString &accessibleName);
// The icon is drawn at `size` and the button is fixed to the same size.
QPushButton *makeIconButton(const QString &iconFilePath, const QSize &size,
                            const char *objectName = nullptr);
QovSortLabel *makeSortLabel(const QString &text, const QSize &size,
                            const char *objectName = nullptr);
QLineEdit *makeLineEdit(const QString &text, const QString &placeholderText, const QSize &size,
                        const char *objectName = nullptr);
QListWidget *makeListWidget(const QSize &size, int itemSpacing, bool dragAndDrop,
                            const char *objectName = nullptr);
QLabel *makeIconLabel(const QString &iconFilePath, const QSize &size,
                      Qt::Alignment alignment = Qt::AlignCenter);
QLabel *makePixmapLabel(const QIcon &icon, const QSize &size,
                        Qt::Alignment alignment = Qt::AlignCenter);
QIcon makeIcon(const QString &filePath);
// `filePath2x` is the double-resolution picture that high-density screens use.
QIcon makeIcon(const QString &filePath, const QString &filePath2x);

// Fixes the width and height of `widget` where the size component is positive.
void applyFixedSize(QWidget *widget, const QSize &size);
