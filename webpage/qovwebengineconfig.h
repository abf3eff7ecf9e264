#pragma once

// Settings the web engine reads once, when it starts; call before the application object is
// made. All settings pages are local files of one site: with one renderer process per site they
// share a single renderer, so a page opens without starting a process and costs a few MB instead
// of a whole renderer.
void qovConfigureWebEngine();

// Call once the application object exists, before the first window. Picks how page frames are
// drawn and starts the web engine, which takes the GUI thread for a few hundred milliseconds:
// done here, no window freezes for it later.
//
// Without a GPU (a virtual machine, Xvfb, a remote desktop) OpenGL itself runs in software,
// and drawing each page frame through it on the GUI thread, then reading it back, costs more
// than painting the frames the engine already draws in software. There, Qt Quick's software
// renderer draws the pages.
void qovStartWebEngine();
