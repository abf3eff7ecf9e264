#include "screenshotscene.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QUrl>
#include <QWebEngineView>

namespace {

// The settings pages on their own, without the application's bridge: they show the factory
// settings, which is what these pictures are for.
QUrl pageUrl(const QString &folder, const QString &fragment)
{
    QUrl url = QUrl::fromLocalFile(QApplication::applicationDirPath() +
                                   QStringLiteral("/webcontents/%1/index.html").arg(folder));
    url.setFragment(fragment);
    return url;
}

bool evaluate(QWebEngineView *view, const QString &script, int timeoutMs)
{
    bool result = false;
    bool done = false;
    view->page()->runJavaScript(script, [&](const QVariant &value) {
        result = value.toBool();
        done = true;
    });
    QElapsedTimer timer;
    timer.start();
    while (!done && timer.elapsed() < timeoutMs) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return result;
}

void waitUntil(QWebEngineView *view, const QString &condition)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 8000 && !evaluate(view, condition, 1000)) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
}

// `action` runs in the page once it shows its data: scrolling, opening a dialog.
ScreenshotScene pageScene(const QString &name, const QString &folder, const QString &fragment,
                          QSize size, const QString &action = QString())
{
    return {name,
            [folder, fragment, size] {
                // The engine refuses to start as root with its sandbox on; these pictures load
                // only our own local pages.
                qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
                auto *view = new QWebEngineView;
                view->resize(size);
                view->setUrl(pageUrl(folder, fragment));
                return view;
            },
            [action](QWidget *window) {
                auto *view = static_cast<QWebEngineView *>(window);
                waitUntil(
                    view,
                    QStringLiteral("!!document.body && document.body.classList.contains('ready')"));
                if (!action.isEmpty()) {
                    evaluate(view, action + QStringLiteral(";true"), 2000);
                }
                // Two frames for the canvases that draw on the next animation frame.
                QElapsedTimer timer;
                timer.start();
                while (timer.elapsed() < 600) {
                    QApplication::processEvents(QEventLoop::AllEvents, 20);
                }
            },
            0, 0};
}

} // namespace

std::vector<ScreenshotScene> pageScenes()
{
    const QSize normal(1152, 900);
    const QSize smallest(320, 380);
    const QSize large(1840, 1000);
    const QString scrollToEq =
        QStringLiteral("document.querySelector('.group.eq').scrollIntoView({block:'start'})");
    // The factory monitors' graphic EQs are flat and off: apply the "Live Vocal" curve to
    // output 4 through the library's own buttons, and switch it on.
    const QString curveOnGeq = QStringLiteral(
        "ZephPage.activate('library');var l=document.querySelectorAll('.library')[1];"
        "var s=l.querySelector('select');s.value='3';s.dispatchEvent(new Event('change'));"
        "l.querySelectorAll('.slot-row')[2].querySelectorAll('button')[1].click();"
        "ZephPage.activate('outputs/4');document.querySelector('.group.geq .toggle').click();"
        "document.querySelector('.group.geq').scrollIntoView({block:'end'})");
    const QString storeDialog =
        QStringLiteral("document.querySelectorAll('.bank-row .store')[1].click()");
    // Two edits of channel 1's gain, one of them undone: both history buttons are live.
    const QString undone = QStringLiteral(
        "var g=document.querySelector('#section-inputs .group.preamp .slider');"
        "for(var i=0;i<2;++i){g.dispatchEvent(new KeyboardEvent('keydown',{key:'ArrowUp',"
        "bubbles:true}));ZephPage.closeStep();}ZephPage.undo();"
        "document.querySelector('#topbar button.undo').focus()");
    // The state the window gives a missing mixer while it reconnects it on its own, or once it
    // is back; long names, which the bar must still show whole.
    const auto missing = [](const QString &name, const QString &note) {
        return QStringLiteral("ZephPage.app.info.name='%1';ZephPage.app.status=2;"
                              "ZephPage.app.statusNote='%2';ZephPage.refreshNow(true)")
            .arg(name, note);
    };
    const QString reconnecting =
        missing(QStringLiteral("Stage Monitors"), QStringLiteral("Reconnecting…"));
    const QString onlineAgain =
        missing(QStringLiteral("ZEPH-2208NET 13"), QStringLiteral("Online again"));
    std::vector<ScreenshotScene> scenes;
    for (const QString &folder : {QStringLiteral("zeph2208"), QStringLiteral("zeph2208net")}) {
        const QString prefix = QStringLiteral("page-%1-").arg(folder);
        scenes.push_back(
            pageScene(prefix + QStringLiteral("inputs"), folder, QStringLiteral("inputs"), normal));
        scenes.push_back(pageScene(prefix + QStringLiteral("outputs"), folder,
                                   QStringLiteral("outputs/3"), normal));
        scenes.push_back(pageScene(prefix + QStringLiteral("presets"), folder,
                                   QStringLiteral("presets"), normal));
        scenes.push_back(pageScene(prefix + QStringLiteral("partial"), folder,
                                   QStringLiteral("partial"), normal));
        scenes.push_back(pageScene(prefix + QStringLiteral("library"), folder,
                                   QStringLiteral("library"), normal));
    }
    scenes.push_back(pageScene(QStringLiteral("page-zeph2208net-network"),
                               QStringLiteral("zeph2208net"), QStringLiteral("network"), normal));
    scenes.push_back(pageScene(QStringLiteral("page-zeph2208-eq-kick"), QStringLiteral("zeph2208"),
                               QStringLiteral("inputs/7"), normal, scrollToEq));
    scenes.push_back(pageScene(QStringLiteral("page-zeph2208-geq-monitor"),
                               QStringLiteral("zeph2208"), QStringLiteral("outputs/4"), normal,
                               curveOnGeq));
    scenes.push_back(pageScene(QStringLiteral("page-zeph2208-small-geq"),
                               QStringLiteral("zeph2208"), QStringLiteral("outputs/4"), smallest,
                               curveOnGeq));
    scenes.push_back(pageScene(QStringLiteral("page-zeph2208-undo"), QStringLiteral("zeph2208"),
                               QStringLiteral("inputs"), normal, undone));
    scenes.push_back(pageScene(QStringLiteral("page-zeph2208-small-undo"),
                               QStringLiteral("zeph2208"), QStringLiteral("inputs"), smallest,
                               undone));
    scenes.push_back(pageScene(QStringLiteral("page-zeph2208-store-dialog"),
                               QStringLiteral("zeph2208"), QStringLiteral("presets"), normal,
                               storeDialog));
    scenes.push_back(pageScene(QStringLiteral("page-zeph2208-small-inputs"),
                               QStringLiteral("zeph2208"), QStringLiteral("inputs"), smallest));
    scenes.push_back(pageScene(QStringLiteral("page-zeph2208-small-eq"), QStringLiteral("zeph2208"),
                               QStringLiteral("inputs/2"), smallest, scrollToEq));
    scenes.push_back(pageScene(QStringLiteral("page-zeph2208net-small-presets"),
                               QStringLiteral("zeph2208net"), QStringLiteral("presets"), smallest));
    scenes.push_back(pageScene(QStringLiteral("page-zeph2208-large-inputs"),
                               QStringLiteral("zeph2208"), QStringLiteral("inputs"), large));
    scenes.push_back(pageScene(QStringLiteral("page-zeph2208-reconnecting"),
                               QStringLiteral("zeph2208"), QStringLiteral("inputs"), normal,
                               reconnecting));
    scenes.push_back(pageScene(QStringLiteral("page-zeph2208-small-reconnecting"),
                               QStringLiteral("zeph2208"), QStringLiteral("inputs"), smallest,
                               reconnecting));
    scenes.push_back(pageScene(QStringLiteral("page-zeph2208net-online-again"),
                               QStringLiteral("zeph2208net"), QStringLiteral("presets"), normal,
                               onlineAgain));
    scenes.push_back(pageScene(QStringLiteral("page-zeph2208net-small-online-again"),
                               QStringLiteral("zeph2208net"), QStringLiteral("presets"), smallest,
                               onlineAgain));
    return scenes;
}
