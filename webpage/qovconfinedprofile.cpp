#include "webpage/qovconfinedprofile.h"

#include "webpage/qovpageconfinement.h"
#include "webpage/qovpagerequestguard.h"
#include "webpage/qovwebenginecompat.h"

#include <QDebug>
#include <QVariant>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace {

constexpr char confinedMark[] = "velmoraConfined";

void turnOffUnusedFeatures(QWebEngineSettings *s)
{
    using S = QWebEngineSettings;
    // Reaching out: windows, remote URLs, link pings, prefetching.
    s->setAttribute(S::JavascriptCanOpenWindows, false);
    s->setAttribute(S::LocalContentCanAccessRemoteUrls, false);
    // Without access to other file URLs a page's origin is opaque, and it cannot start a shared
    // worker, which the request guard would not see on every engine. Qt 6's engine, though,
    // then refuses the pages' own shared scripts beside them, so there they get the access and
    // the request guard keeps every file URL inside the pages' folder.
    s->setAttribute(S::LocalContentCanAccessFileUrls, QT_VERSION >= QT_VERSION_CHECK(6, 0, 0));
    s->setAttribute(S::HyperlinkAuditingEnabled, false);
    s->setAttribute(S::DnsPrefetchEnabled, false);
    s->setAttribute(S::WebRTCPublicInterfacesOnly, true);
    s->setUnknownUrlSchemePolicy(S::DisallowUnknownUrlSchemes);
    // What the pages never use.
    s->setAttribute(S::PluginsEnabled, false);
    s->setAttribute(S::PdfViewerEnabled, false);
    s->setAttribute(S::JavascriptCanAccessClipboard, false);
    s->setAttribute(S::JavascriptCanPaste, false);
    s->setAttribute(S::LocalStorageEnabled, false);
    s->setAttribute(S::WebGLEnabled, false);
    s->setAttribute(S::ScreenCaptureEnabled, false);
    s->setAttribute(S::FullScreenSupportEnabled, false);
    s->setAttribute(S::AllowWindowActivationFromJavaScript, false);
    s->setAttribute(S::AllowGeolocationOnInsecureOrigins, false);
    s->setAttribute(S::AllowRunningInsecureContent, false);
    s->setAttribute(S::AutoLoadIconsForPage, false);
    s->setAttribute(S::TouchIconsEnabled, false);
}

// Connected before any window's handler, so a refused download is cancelled before a window
// is asked where to save it (windows skip downloads no longer waiting for an answer).
void refuseForeignDownload(QovWebEngineDownload *download)
{
    if (!QovPageConfinement::isAllowedDownload(download->url())) {
        qDebug() << "refused page download" << download->url();
        download->cancel();
    }
}

} // namespace

void qovConfineProfile(QWebEngineProfile *profile)
{
    if (profile->property(confinedMark).toBool()) {
        return;
    }
    profile->setProperty(confinedMark, true);
    // The guard is a child of the profile and goes with it.
    profile->setUrlRequestInterceptor(new QovPageRequestGuard(profile));
    turnOffUnusedFeatures(profile->settings());
    QObject::connect(profile, &QWebEngineProfile::downloadRequested, profile,
                     &refuseForeignDownload);
}
