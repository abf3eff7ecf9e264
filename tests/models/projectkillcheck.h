#pragma once

#include <QString>

// Kills a process that edits, autosaves and saves a project (projectsaveloop) at random
// moments, and after each kill checks that the project file and, when there is one, its
// autosave copy are complete: both parse as a project with all its devices.
namespace projectkillcheck {

struct Outcome
{
    int kills = 0;
    // Kills that came after the loop's first edits were saved (the rest tested the start).
    int afterSaves = 0;
    int autosaveCopiesChecked = 0;
    // Empty when every file left behind was complete; otherwise what was found.
    QString problem;
};

// `helper` is the path of projectsaveloop; its files go into `folder`.
Outcome run(const QString &helper, const QString &folder, int kills);

} // namespace projectkillcheck
