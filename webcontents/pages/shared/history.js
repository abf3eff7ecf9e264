// Undo and redo of the page's edits. A step holds, for each data set it changed, the set's
// text before and after, so that undoing puts back whole sets the way an edit does and the
// application stores them like any other edit. Edits are gathered into a step until the page
// closes it (a gesture ends, a dialog's action is done, the user pauses); a step that leaves
// every set as it was is no step.
(function (root, factory) {
  'use strict';
  if (typeof module === 'object' && module.exports) {
    module.exports = factory();
  } else {
    root.ZephHistory = factory();
  }
}(this, function () {
  'use strict';

  var LIMIT = 200;

  // options: textOf(key) the set's text now; canonical(key, text) the text the page would
  // write for a text read from the device (device texts may be spelt differently and say the
  // same); limit, the steps kept.
  function History(options) {
    this.textOf = options.textOf;
    this.canonical = options.canonical || function (key, text) { return text; };
    this.limit = options.limit || LIMIT;
    this.base = {}; // key -> { text, canonical }
    this.open = [];
    this.undoStack = [];
    this.redoStack = [];
  }

  // The set's text as read from the device: what an edit of it starts from.
  History.prototype.loaded = function (key, text) {
    this.base[key] = { text: text, canonical: false };
  };

  History.prototype.record = function (key) {
    if (this.open.indexOf(key) < 0) this.open.push(key);
  };

  History.prototype.pending = function () { return this.open.length > 0; };
  History.prototype.canUndo = function () { return this.pending() || this.undoStack.length > 0; };
  History.prototype.canRedo = function () { return !this.pending() && this.redoStack.length > 0; };

  History.prototype.baseText = function (key) {
    var b = this.base[key] || (this.base[key] = { text: undefined, canonical: false });
    if (!b.canonical) {
      b.text = this.canonical(key, b.text);
      b.canonical = true;
    }
    return b.text;
  };

  // Closes the step of the edits since the last one; true when it changed anything.
  History.prototype.commit = function () {
    var self = this;
    var changes = [];
    this.open.forEach(function (key) {
      var before = self.baseText(key);
      var after = self.textOf(key);
      if (after === before) return;
      changes.push({ key: key, before: before, after: after });
      self.base[key] = { text: after, canonical: true };
    });
    this.open = [];
    if (!changes.length) return false;
    this.undoStack.push(changes);
    if (this.undoStack.length > this.limit) this.undoStack.shift();
    this.redoStack = [];
    return true;
  };

  function move(self, from, to, side) {
    self.commit();
    var step = from.pop();
    if (!step) return null;
    to.push(step);
    return step.map(function (c) {
      self.base[c.key] = { text: c[side], canonical: true };
      return { key: c.key, text: c[side] };
    });
  }

  // The sets to put back as {key, text}, or null when there is nothing to undo.
  History.prototype.undo = function () { return move(this, this.undoStack, this.redoStack, 'before'); };
  History.prototype.redo = function () { return move(this, this.redoStack, this.undoStack, 'after'); };

  // The set was replaced from outside the page (a transfer from the mixer, a roll-back): the
  // steps that would write one of its old states over the new one go, and so do edits of it
  // not yet in a step, which the new text has replaced in the page.
  History.prototype.replaced = function (key, text) {
    var touches = function (step) { return step.some(function (c) { return c.key === key; }); };
    this.undoStack = this.undoStack.filter(function (s) { return !touches(s); });
    this.redoStack = this.redoStack.filter(function (s) { return !touches(s); });
    this.open = this.open.filter(function (k) { return k !== key; });
    this.loaded(key, text);
  };

  // One history per device: a page keeps the steps of the device it shows, and only those.
  var byDevice = {};
  function forDevice(device, options) {
    return byDevice[device] || (byDevice[device] = new History(options));
  }

  return { History: History, forDevice: forDevice, LIMIT: LIMIT };
}));
