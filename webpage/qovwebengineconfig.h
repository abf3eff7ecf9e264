#pragma once

// Settings the web engine reads once, when it starts; call before the application object is
// made. All settings pages are local files of one site: with one renderer process per site they
// share a single renderer, so a page opens without starting a process and costs a few MB instead
// of a whole renderer.
void qovConfigureWebEngine();
