// Renders the program's windows with the real style sheet into PNG files, so that their look
// can be reviewed without clicking through the program. Run it under an X server (Xvfb); it
// grabs from the screen so that menus and other popups outside a window are in the picture.
//
//   velmora-screenshots [OUTPUT_FOLDER] [NAME_FILTER]
//   QT_SCALE_FACTOR=2 velmora-screenshots ...     (a high-density screen)

#include "screenshotscene.h"
#include "tempprofile.h"

#include "models/qovqtcompat.h"
#include "models/qovtextfile.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPixmap>
#include <QScreen>
#include <QTextStream>
#include <QWidget>
#include <QWindow>

#include <memory>

namespace {

void settle(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

bool render(const ScreenshotScene &scene, const QDir &folder)
{
    std::unique_ptr<QWidget> window(scene.build());
    window->move(48, 48);
    window->show();
    QElapsedTimer timer;
    timer.start();
    while (!(window->windowHandle() && window->windowHandle()->isExposed()) &&
           timer.elapsed() < 5000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    if (scene.afterShow) {
        scene.afterShow(window.get());
    }
    // Enough for the style sheet, icon loading and the first animation frames to land.
    settle(400);
    const QRect area = window->frameGeometry().adjusted(0, 0, scene.extraRight, scene.extraBottom);
    const QPixmap picture = QApplication::primaryScreen()->grabWindow(0, area.x(), area.y(),
                                                                      area.width(), area.height());
    const QString file = folder.filePath(scene.name + QStringLiteral(".png"));
    const bool saved = picture.save(file);
    QTextStream(stdout) << (saved ? "wrote " : "FAILED ") << file << " " << area.width() << "x"
                        << area.height() << "\n";
    window->close();
    return saved;
}

} // namespace

int main(int argc, char *argv[])
{
    // As the program does, so that QT_SCALE_FACTOR=2 shows the high-density artwork.
    QovQtCompat::enableHighDpiScaling();
    // The settings pages' web views share the GL context, which must be asked for up front.
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts, true);
    QApplication app(argc, argv);
    // Every scene's settings, recent files and autosave copies stay out of the user's profile.
    const TempProfile profile;
    app.setStyleSheet(loadTextFile(QStringLiteral(":/styles.qss")));
    const QStringList args = app.arguments();
    const QDir folder(args.value(1, QStringLiteral("screenshots")));
    const QString filter = args.value(2);
    if (!QDir().mkpath(folder.path())) {
        QTextStream(stderr) << "cannot create " << folder.path() << "\n";
        return 2;
    }

    const std::vector<ScreenshotScene> scenes = allScreenshotScenes();
    int failures = 0;
    for (const ScreenshotScene &scene : scenes) {
        if (filter.isEmpty() || scene.name.contains(filter)) {
            failures += render(scene, folder) ? 0 : 1;
        }
    }
    return failures == 0 ? 0 : 1;
}
