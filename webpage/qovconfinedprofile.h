#pragma once

class QWebEngineProfile;

// Confines everything that runs in the profile, not only what a page of ours asks for: shared
// and service workers, and downloads, act for the profile with no page behind them. Every
// request of the profile passes the request guard, features the settings pages do not use are
// off, and downloads of anything but a page's own data are refused. Idempotent; every confined
// page calls it for its profile.
void qovConfineProfile(QWebEngineProfile *profile);
