#pragma once

class QThreadPool;

// Where the program's blocking work runs: requests to mixers, file reads and writes, a project
// load. Never Qt's global pool: Qt itself runs short jobs there that the GUI thread waits for
// (converting an animation's frame, for one), and a pool taken up by requests waiting for a
// silent mixer stalled the window for as long as the requests waited. Wide enough that one
// slow mixer per worker never holds back a user's action for long.
QThreadPool *qovWorkerPool();
