// Every window and dialog the program shows, as the screenshots build them: walked through the
// accessibility tree a screen reader sees, every control a user can reach has a name and a
// role; and read as the eye sees them, every text is large enough and stands out from what it
// is drawn on. The settings pages are checked in their own page tests.
#include "contrast.h"
#include "models/qovtextfile.h"
#include "privatenetwork.h"
#include "screenshotscene.h"
#include "tempprofile.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QtTest>

#include <memory>

namespace {

// The roles of controls a user works with.
const QList<QAccessible::Role> kControlRoles{
    QAccessible::PushButton, QAccessible::CheckBox,       QAccessible::RadioButton,
    QAccessible::ComboBox,   QAccessible::EditableText,   QAccessible::SpinBox,
    QAccessible::Slider,     QAccessible::List,           QAccessible::Table,
    QAccessible::Tree,       QAccessible::MenuItem,       QAccessible::Link,
    QAccessible::ButtonMenu, QAccessible::ButtonDropDown, QAccessible::PageTab};

// The controls a user can reach that have no name, as "Role 'objectName' (ClassName)".
void collectUnnamed(QAccessibleInterface *node, QStringList &unnamed, int depth = 0)
{
    if (!node || !node->isValid() || depth > 40) {
        return;
    }
    const QAccessible::State state = node->state();
    if (state.invisible || state.offscreen) {
        return;
    }
    const QAccessible::Role role = node->role();
    QObject *object = node->object();
    // A widget the Tab key reaches is a control, whatever it draws: it needs a role that says
    // what it does.
    const auto *widget = qobject_cast<const QWidget *>(object);
    const bool focusable = widget && (widget->focusPolicy() & Qt::TabFocus) && widget->isEnabled();
    const bool roleless = role == QAccessible::NoRole || role == QAccessible::Client;
    const QString what = object ? QStringLiteral("'%1' (%2)")
                                      .arg(object->objectName(),
                                           QString::fromLatin1(object->metaObject()->className()))
                                : QStringLiteral("'' (?)");
    if (focusable && roleless && !widget->inherits("QAbstractScrollArea") && !widget->isWindow()) {
        unnamed << QStringLiteral("no role: ") + what;
    }
    if (kControlRoles.contains(role) && !state.disabled &&
        node->text(QAccessible::Name).trimmed().isEmpty()) {
        unnamed << QString::fromLatin1(QMetaEnum::fromType<QAccessible::Role>().valueToKey(role)) +
                       QLatin1Char(' ') + what;
    }
    // A web view's contents are the page's own accessibility tree, checked with the pages.
    if (object && object->inherits("QWebEngineView")) {
        return;
    }
    for (int i = 0; i < node->childCount(); ++i) {
        collectUnnamed(node->child(i), unnamed, depth + 1);
    }
    // Rows that are widgets lie over items: a screen reader reads the item, which draws nothing
    // and so needs a text of its own, and the Tab key reaches the widget's controls, which the
    // tree does not hold.
    if (const auto *items = qobject_cast<const QAbstractItemView *>(object)) {
        for (int row = 0; row < items->model()->rowCount(items->rootIndex()); ++row) {
            const QModelIndex index = items->model()->index(row, 0, items->rootIndex());
            if (QWidget *rowWidget = items->indexWidget(index)) {
                if (index.data(Qt::AccessibleTextRole).toString().trimmed().isEmpty()) {
                    unnamed << QStringLiteral("row %1 without a text: ").arg(row) + what;
                }
                collectUnnamed(QAccessible::queryAccessibleInterface(rowWidget), unnamed,
                               depth + 1);
            }
        }
    }
}

// The plain text a widget draws in its palette's foreground colour; empty for none. Rich text
// names its own colours and is left out.
QString drawnText(const QWidget *widget)
{
    if (const auto *label = qobject_cast<const QLabel *>(widget)) {
        const bool rich =
            label->textFormat() == Qt::RichText ||
            (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()));
        return rich ? QString() : label->text();
    }
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget)) {
        return button->text();
    }
    if (const auto *edit = qobject_cast<const QLineEdit *>(widget)) {
        return edit->text();
    }
    if (const auto *edit = qobject_cast<const QPlainTextEdit *>(widget)) {
        return edit->toPlainText();
    }
    return QString();
}

// Texts under 9 px, and texts below WCAG 2.1 AA contrast with the colour most of their widget
// shows around them (4.5:1, 3:1 for large text). Disabled controls are exempt, as in WCAG.
void collectIllegible(QWidget *top, QStringList &found)
{
    const QImage shot = top->grab().toImage();
    const qreal scale = shot.devicePixelRatio();
    QList<QWidget *> widgets = top->findChildren<QWidget *>();
    widgets.prepend(top);
    for (QWidget *widget : std::as_const(widgets)) {
        if (!widget->isVisible() || !widget->isEnabled() || widget->width() < 4 ||
            widget->height() < 4) {
            continue;
        }
        const auto *items = qobject_cast<const QAbstractItemView *>(widget);
        const QString text = items ? QStringLiteral("(items)") : drawnText(widget);
        if (text.trimmed().isEmpty()) {
            continue;
        }
        const QFontInfo font(widget->font());
        const QString what =
            QStringLiteral("'%1' (%2 %3)")
                .arg(text.left(30), QString::fromLatin1(widget->metaObject()->className()),
                     widget->objectName());
        if (font.pixelSize() < 9) {
            found << QStringLiteral("%1 px: %2").arg(font.pixelSize()).arg(what);
        }
        QColor background, foreground;
        if (items) {
            // Items are drawn by a delegate in the colours the style sheet gives it, not the
            // view's palette: the text is the pixel that stands out most from the background.
            const QImage drawn = items->viewport()->grab().toImage();
            background = velmora::test::commonestColour(drawn, drawn.rect());
            double strongest = 0;
            for (int y = 0; y < drawn.height(); ++y) {
                for (int x = 0; x < drawn.width(); ++x) {
                    const QColor pixel = drawn.pixelColor(x, y);
                    const double ratio = velmora::test::contrastRatio(pixel, background);
                    if (ratio > strongest) {
                        strongest = ratio;
                        foreground = pixel;
                    }
                }
            }
        } else {
            const QRect area(widget->mapTo(top, QPoint(0, 0)) * scale, widget->size() * scale);
            background = velmora::test::commonestColour(shot, area);
            // Text boxes draw their text in the palette's text colour, not the foreground.
            foreground = widget->palette().color(qobject_cast<const QPlainTextEdit *>(widget)
                                                     ? QPalette::Text
                                                     : widget->foregroundRole());
        }
        const bool large = font.pixelSize() >= 24 || (font.bold() && font.pixelSize() >= 19);
        const double ratio = velmora::test::contrastRatio(foreground, background);
        if (ratio < (large ? 3.0 : 4.5)) {
            found << QStringLiteral("%1:1 %2, %3 on %4")
                         .arg(ratio, 0, 'f', 2)
                         .arg(what, foreground.name(), background.name());
        }
    }
}

// Builds the scene's window, shows it as the screenshots do, and runs `check` on it and on the
// menus and lists it opened, which are windows of their own.
QStringList checkScene(int index, const std::function<void(QWidget *, QStringList &)> &check)
{
    const ScreenshotScene scene = allScreenshotScenes().at(size_t(index));
    std::unique_ptr<QWidget> window(scene.build());
    QStringList found;
    if (!window) {
        return {QStringLiteral("the scene made no window")};
    }
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get())) {
        return {QStringLiteral("the window was never shown")};
    }
    if (scene.afterShow) {
        scene.afterShow(window.get());
    }
    check(window.get(), found);
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top != window.get() && top->isVisible()) {
            check(top, found);
        }
    }
    window->close();
    return found;
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        velmora::test::requirePrivateNetwork();
        m_profile = std::make_unique<TempProfile>();
        qApp->setStyleSheet(loadTextFile(QStringLiteral(":/styles.qss")));
    }

    void everyControlHasANameAndRole_data()
    {
        QTest::addColumn<int>("index");
        std::vector<ScreenshotScene> scenes = allScreenshotScenes();
        for (int i = 0; i < int(scenes.size()); ++i) {
            // Artwork scenes draw pictures, not windows a user works in; page scenes hold a web
            // view only, whose contents the page tests check.
            const QString &name = scenes.at(i).name;
            if (!name.startsWith(QLatin1String("artwork")) &&
                !name.startsWith(QLatin1String("page-"))) {
                QTest::newRow(qPrintable(scenes.at(i).name)) << i;
            }
        }
    }

    void everyControlHasANameAndRole()
    {
        QFETCH(int, index);
        const QStringList unnamed = checkScene(index, [](QWidget *top, QStringList &found) {
            collectUnnamed(QAccessible::queryAccessibleInterface(top), found);
        });
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral("; "))));
    }
    void everyTextIsLegible_data() { everyControlHasANameAndRole_data(); }
    void everyTextIsLegible()
    {
        QFETCH(int, index);
        const QStringList illegible = checkScene(index, collectIllegible);
        QVERIFY2(illegible.isEmpty(), qPrintable(illegible.join(QStringLiteral("; "))));
    }

private:
    std::unique_ptr<TempProfile> m_profile;
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
