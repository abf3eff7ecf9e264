// Every window and dialog the program shows, as the screenshots build them, walked through
// the accessibility tree a screen reader sees: every control a user can reach has a name and
// a role. The settings pages are checked in their own page tests.
#include "models/qovtextfile.h"
#include "privatenetwork.h"
#include "screenshotscene.h"
#include "tempprofile.h"

#include <QAccessible>
#include <QApplication>
#include <QtTest>

#include <memory>

namespace {

bool isControl(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::SpinBox:
    case QAccessible::Slider:
    case QAccessible::List:
    case QAccessible::Table:
    case QAccessible::Tree:
    case QAccessible::MenuItem:
    case QAccessible::Link:
    case QAccessible::ButtonMenu:
    case QAccessible::ButtonDropDown:
    case QAccessible::PageTab:
        return true;
    default:
        return false;
    }
}

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
    if (focusable && roleless && !widget->inherits("QAbstractScrollArea") && !widget->isWindow()) {
        unnamed << QStringLiteral("no role: '%1' (%2)")
                       .arg(object->objectName(),
                            QString::fromLatin1(object->metaObject()->className()));
    }
    if (isControl(role) && !state.disabled && node->text(QAccessible::Name).trimmed().isEmpty()) {
        unnamed << QStringLiteral("%1 '%2' (%3)")
                       .arg(QString::fromLatin1(
                                QMetaEnum::fromType<QAccessible::Role>().valueToKey(role)),
                            object ? object->objectName() : QString(),
                            object ? QString::fromLatin1(object->metaObject()->className())
                                   : QStringLiteral("?"));
    }
    // A web view's contents are the page's own accessibility tree, checked with the pages.
    if (node->object() && node->object()->inherits("QWebEngineView")) {
        return;
    }
    for (int i = 0; i < node->childCount(); ++i) {
        collectUnnamed(node->child(i), unnamed, depth + 1);
    }
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void everyControlHasANameAndRole_data();
    void everyControlHasANameAndRole();

private:
    std::unique_ptr<TempProfile> m_profile;
};

void TestAccessibility::initTestCase()
{
    velmora::test::requirePrivateNetwork();
    m_profile = std::make_unique<TempProfile>();
    qApp->setStyleSheet(loadTextFile(QStringLiteral(":/styles.qss")));
}

void TestAccessibility::everyControlHasANameAndRole_data()
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

void TestAccessibility::everyControlHasANameAndRole()
{
    QFETCH(int, index);
    const ScreenshotScene scene = allScreenshotScenes().at(size_t(index));
    std::unique_ptr<QWidget> window(scene.build());
    QVERIFY(window);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    if (scene.afterShow) {
        scene.afterShow(window.get());
    }
    QStringList unnamed;
    collectUnnamed(QAccessible::queryAccessibleInterface(window.get()), unnamed);
    // Menus and combo lists the scene opened are windows of their own.
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top != window.get() && top->isVisible()) {
            collectUnnamed(QAccessible::queryAccessibleInterface(top), unnamed);
        }
    }
    window->close();
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral("; "))));
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
