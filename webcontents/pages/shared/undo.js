// Undo and redo in the page: which edits make a step, the keys and the top bar's buttons, and
// putting a step's data sets back so that they reach the device like any edit.
(function (root) {
  'use strict';
  var M = root.ZephModel;
  var H = root.ZephHistory;
  var R = root.ZephReporter;
  var P = root.ZephPage;
  var app = P.app;
  var CODES = R.CODES;

  // The history's name for the device's identity (name, ID, colour).
  var INFO = 'info';
  // Edits closer together than this, without a gesture ending between them, are one step.
  var STEP_PAUSE_MS = 1000;

  function infoText() { return JSON.stringify([app.info.name, app.info.deviceid, app.info.color]); }

  function keyParts(key) {
    var parts = key.split(':');
    return { type: Number(parts[0]), bank: Number(parts[1]) };
  }

  function historyFor(device) {
    return H.forDevice(device, {
      textOf: function (key) {
        if (key === INFO) return infoText();
        var k = keyParts(key);
        return M.write(P.dataOf(k.type, k.bank));
      },
      canonical: function (key, text) {
        if (key === INFO) return text;
        var k = keyParts(key);
        return M.write(P.readSet(k.type, k.bank, text).data);
      }
    });
  }

  // An edit postpones the close of its step, but not a close already on its way: the click
  // that follows a released pointer belongs to the step that release ends.
  var stepTimer = null;
  var closingSoon = false;
  function closeStepLater(ms) {
    if (closingSoon) return;
    if (stepTimer !== null) clearTimeout(stepTimer);
    closingSoon = ms === 0;
    stepTimer = setTimeout(closeStep, ms);
  }

  function closeStep() {
    if (stepTimer !== null) clearTimeout(stepTimer);
    stepTimer = null;
    closingSoon = false;
    var open = app.history.pending();
    app.history.commit();
    if (open && root.ZephTopBar) root.ZephTopBar.refresh();
  }

  // `report` tells the application and the views.
  function edited(type, bank, report) {
    app.history.record(R.keyOf(type, bank));
    // The device's identity travels with the current settings.
    if (type === CODES.current) app.history.record(INFO);
    report();
    closeStepLater(STEP_PAUSE_MS);
  }

  // Puts sets back as an edit would change them: shown at once, and reported to the
  // application, which fetches and stores them.
  function putBack(changes) {
    changes.forEach(function (c) {
      if (c.key === INFO) {
        var info = JSON.parse(c.text);
        app.info.name = info[0];
        app.info.deviceid = info[1];
        app.info.color = info[2];
        P.changed(CODES.current, 0);
        return;
      }
      var k = keyParts(c.key);
      P.loadSet(k.type, k.bank, c.text);
      P.reloaded(k.type, k.bank);
      P.changed(k.type, k.bank);
    });
    P.refreshNow(false);
  }

  // A name being typed in is left first, so that its typing is in the history before the
  // step is taken back, and the field shows what was put back.
  function travel(take) {
    var focused = document.activeElement;
    var typing = !!focused && focused.tagName === 'INPUT';
    if (typing) focused.blur();
    closeStep();
    var changes = take();
    if (changes) putBack(changes);
    if (typing && focused.isConnected) focused.focus();
    if (root.ZephTopBar) root.ZephTopBar.refresh();
    return !!changes;
  }

  function undo() { return travel(function () { return app.history.undo(); }); }
  function redo() { return travel(function () { return app.history.redo(); }); }

  // Ctrl+Z undoes, Ctrl+Shift+Z and Ctrl+Y redo, wherever the focus is but in a dialog. (A
  // value being typed into a slider keeps its keys to itself.)
  function keys(e) {
    if (!(e.ctrlKey || e.metaKey) || e.altKey) return;
    var key = String(e.key || '').toLowerCase();
    if (key !== 'z' && key !== 'y') return;
    if (!document.getElementById('dialog').hidden) return;
    e.preventDefault();
    if (key === 'y' || e.shiftKey) redo();
    else undo();
  }

  // A gesture ends a step: a drag let go, a key released, a name left. A released pointer,
  // or a key released on a button, still sends a click: its step closes just after.
  function listen() {
    function ended(e) {
      closeStep();
      if (e.type !== 'keyup' || e.target.tagName === 'BUTTON') closeStepLater(0);
    }
    document.addEventListener('keydown', keys);
    document.addEventListener('pointerup', ended, true);
    document.addEventListener('pointercancel', ended, true);
    document.addEventListener('keyup', function (e) {
      if (e.target.tagName !== 'INPUT') ended(e);
    }, true);
    document.addEventListener('focusout', function (e) {
      if (e.target.tagName === 'INPUT') closeStep();
    }, true);
  }

  var listening = false;
  function start(device) {
    app.history = historyFor(device);
    if (!listening) listen();
    listening = true;
  }

  root.ZephUndo = {
    start: start, edited: edited, undo: undo, redo: redo, closeStep: closeStep,
    loaded: function (key, text) { app.history.loaded(key, text); },
    replaced: function (key, text) { app.history.replaced(key, text); },
    identityLoaded: function () { app.history.loaded(INFO, infoText()); },
    identityReplaced: function () { app.history.replaced(INFO, infoText()); }
  };
}(this));
