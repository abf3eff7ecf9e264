#pragma once

#include <QList>
#include <QPointer>

class QovZephSettingView;

// Keeps the number of live web views of the settings pages bounded. Every view that makes its
// web view tells the keeper; when more than the limit hold one, those shown least recently give
// theirs back (a page that is shown or waits for a script result keeps it). With the pages
// sharing one renderer a live page costs about 9 MB, so a user walking through all 256 pages of
// a large project would otherwise grow the program by more than 2 GB.
class QovWebViewKeeper
{
public:
    static constexpr int DEFAULT_LIMIT = 12;

    static QovWebViewKeeper &instance();

    // The view was shown or made its web view: it becomes the most recent one.
    void touch(QovZephSettingView *view);
    void forget(QovZephSettingView *view);
    // Releases web views beyond the limit, least recently shown first.
    void trim();

    int limit() const { return m_limit; }
    void setLimit(int limit);
    int liveViews() const;

private:
    QList<QPointer<QovZephSettingView>> m_recent; // most recent last
    int m_limit = DEFAULT_LIMIT;
};
