#pragma once

// The engine's start-up flags are in QovWebEngineArguments.

// Call once the application object exists, before the first window. Picks how page frames are
// drawn, and starts the web engine, which takes the GUI thread for a few hundred milliseconds
// (done here, no window freezes for it later), and confines its default profile.
//
// Without a GPU (a virtual machine, Xvfb, a remote desktop) OpenGL itself runs in software,
// and drawing each page frame through it on the GUI thread, then reading it back, costs more
// than painting the frames the engine already draws in software. There, Qt Quick's software
// renderer draws the pages.
void qovStartWebEngine();
