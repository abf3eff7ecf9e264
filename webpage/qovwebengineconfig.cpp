#include "webpage/qovwebengineconfig.h"

#include "webpage/qovconfinedprofile.h"

#include <QByteArray>
#include <QDebug>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QWebEngineProfile>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// The renderer of the default OpenGL context; empty when there is none.
QByteArray openGlRenderer()
{
    QOpenGLContext context;
    if (!context.create()) {
        return QByteArray();
    }
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!context.makeCurrent(&surface)) {
        return QByteArray();
    }
    const auto *name = context.functions()->glGetString(GL_RENDERER);
    const QByteArray renderer = name ? QByteArray(reinterpret_cast<const char *>(name)) : "";
    context.doneCurrent();
    return renderer;
}

// Mesa's and Chromium's CPU renderers, or none at all.
bool isSoftwareOpenGl(const QByteArray &renderer)
{
    const QByteArray lower = renderer.toLower();
    return lower.isEmpty() || lower.contains("llvmpipe") || lower.contains("softpipe") ||
           lower.contains("swiftshader") || lower.contains("software");
}

// With the software renderer, each frame a page draws is copied into a new image as large as
// the view. glibc takes blocks that large fresh from the kernel and gives them back when they are
// freed, so every frame page-faults its way through megabytes on the GUI thread: in a show-day
// profile, half of that copy's time, and the longest stalls while paging. Kept in the heap, the
// memory of the frame just freed serves the next one.
void keepFrameMemoryForReuse()
{
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 32 * 1024 * 1024);
#endif
}

} // namespace

void qovStartWebEngine()
{
    // Qt WebEngine 5 keeps the pages away from screen readers on Linux unless asked, read when
    // the engine starts. Their controls are named for them: without this, a settings page is one
    // empty document to a screen reader.
    const QByteArray accessibility = QByteArrayLiteral("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY");
    if (!qEnvironmentVariableIsSet(accessibility.constData())) {
        qputenv(accessibility.constData(), QByteArrayLiteral("1"));
    }
    // Qt Quick reads its choice when it draws for the first time, and the web engine when it
    // starts: both after this. A choice made by the user is kept.
    const QByteArray backend = QByteArrayLiteral("QT_QUICK_BACKEND");
    if (qEnvironmentVariableIsEmpty(backend.constData())) {
        const QByteArray renderer = openGlRenderer();
        if (isSoftwareOpenGl(renderer)) {
            qDebug() << "OpenGL renderer" << renderer << "draws in software: pages use Qt Quick's"
                     << "software renderer";
            qputenv(backend.constData(), QByteArrayLiteral("software"));
        }
    }
    if (qgetenv(backend.constData()) == "software") {
        keepFrameMemoryForReuse();
    }
    // Confined before any window hears the profile's downloads.
    qovConfineProfile(QWebEngineProfile::defaultProfile());
}
