#pragma once

// Deletes every main window and start page still open, so that each test starts without the
// successors that earlier ones left behind. Deleting a window deletes its menus, which are
// top-level widgets too, hence the guarded list.
void deleteAppWindows();
