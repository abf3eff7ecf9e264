#pragma once

#include <QString>

#include <functional>
#include <vector>

class QWidget;

// One picture: a window built fresh for it, and optionally something done after it is shown
// (opening a menu, say). The picture covers the window plus `extra` pixels to the right and
// below, for popups that open outside it.
struct ScreenshotScene
{
    QString name;
    std::function<QWidget *()> build;
    std::function<void(QWidget *)> afterShow;
    int extraRight = 0;
    int extraBottom = 0;
};

// Every scene the renderer knows, in file-name order. Windows added later register here.
std::vector<ScreenshotScene> artworkScenes();
std::vector<ScreenshotScene> widgetScenes();
std::vector<ScreenshotScene> popupScenes();
std::vector<ScreenshotScene> dialogScenes();
// The settings pages in a web view (webcontents/).
std::vector<ScreenshotScene> pageScenes();
// Device setting, add-online, connect and reconnect dialogs against simulated mixers.
std::vector<ScreenshotScene> connectionScenes();
// The start page, the main window with its project page and menus, and its small dialogs.
std::vector<ScreenshotScene> appScenes();
// The busy overlay over the main window while transfers run against simulated mixers.
std::vector<ScreenshotScene> progressScenes();

// All of the above, in the order the renderer takes them.
std::vector<ScreenshotScene> allScreenshotScenes();
