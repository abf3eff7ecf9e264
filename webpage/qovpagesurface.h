#pragma once

class QEvent;
class QObject;
class QovJsApi;
class QWebChannel;

// What a settings page can reach of the program. The web channel offers a page every public
// member of an object's meta-object, QObject's own ones too, and lets it call them by number
// whether listed or not. So only objects whose every public member is meant for the page are
// registered, and no object is handed out any other way: the channel then deletes none of them
// (it refuses deleteLater on registered objects), and what is left of QObject (its signals and
// its name) is made harmless.

// Registers the bridge as "qtApi" and its device view under the id its currentDevice property
// resolves to in the page.
void qovPublishBridge(QWebChannel *channel, QovJsApi *bridge);

// True, with a log line, when `event` asks to delete `object` later. Nothing in the program
// deletes the page's objects that way (their owners delete them), but a web channel of Qt 6.8
// was seen to pass a page's deleteLater through to a registered object by another route than
// the one it refuses: so such requests are dropped where the object receives them.
bool qovRefuseDeferredDelete(QObject *object, QEvent *event);

// Keeps the object's name as it is now: a page may write objectName, the one property QObject
// lets anyone set, and the name is put back at once.
void qovKeepObjectName(QObject *object);
