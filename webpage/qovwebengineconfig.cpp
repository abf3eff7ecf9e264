#include "webpage/qovwebengineconfig.h"

#include "webpage/qovconfinedprofile.h"

#include <QByteArray>
#include <QDebug>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QWebEngineProfile>

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

} // namespace

void qovStartWebEngine()
{
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
    // Confined before any window hears the profile's downloads.
    qovConfineProfile(QWebEngineProfile::defaultProfile());
}
