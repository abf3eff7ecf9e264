// Telling the application which data set changed, and recognising the texts it hands back.
//
// The application fetches a data set once per notice and drops notices that arrive while its
// fetch of the same set is under way. A drag sends edits faster than that, so the last ones
// would be lost. The reporter therefore watches the fetches themselves (the page's getter
// runs for each): after a notice it checks a moment later whether a fetch has taken the
// latest edit, and sends the notice again when it has not.
(function (root, factory) {
  'use strict';
  if (typeof module === 'object' && module.exports) {
    module.exports = factory();
  } else {
    root.ZephReporter = factory();
  }
}(this, function () {
  'use strict';

  var CODES = { preset: 2, eq12: 3, eq4: 4, partial: 6, current: 7 };

  function keyOf(type, bank) { return type + ':' + (type === 2 || type === 6 ? bank : 0); }

  // options: send(type, bank) or null when there is no application; timers (setTimeout,
  // clearTimeout) and now() for tests; recheckMs; maxTries: notices sent for one edit before
  // the reporter gives up (a bridge that never fetches).
  function Reporter(options) {
    this.send = options.send || null;
    this.setTimeout = options.setTimeout || function (f, ms) { return setTimeout(f, ms); };
    this.now = options.now || function () { return Date.now(); };
    // While a drag goes on the application hears of it ten times a second, not at every
    // frame: each fetch makes it copy the whole set and update the project's autosave copy.
    this.recheckMs = options.recheckMs || 100;
    this.maxTries = options.maxTries || 20;
    this.onSent = options.onSent || null;
    this.sets = {};
  }

  Reporter.prototype.entry = function (type, bank) {
    var key = keyOf(type, bank);
    return this.sets[key] || (this.sets[key] = {
      type: type, bank: bank, version: 0, sentVersion: 0, fetchedVersion: 0, pending: false, tries: 0
    });
  };

  // An edit of a data set: the application hears of it now unless a notice is out already.
  Reporter.prototype.changed = function (type, bank) {
    var e = this.entry(type, bank);
    e.version += 1;
    if (this.send && !e.pending) {
      e.tries = 0;
      this.notify(e);
    }
  };

  Reporter.prototype.notify = function (e) {
    var self = this;
    e.pending = true;
    e.sentVersion = e.version;
    e.tries += 1;
    this.send(e.type, e.bank);
    if (this.onSent) this.onSent(e.type, e.bank);
    this.setTimeout(function () { self.recheck(e); }, this.recheckMs);
  };

  Reporter.prototype.recheck = function (e) {
    if (e.fetchedVersion >= e.version) {
      e.pending = false;
    } else if (e.fetchedVersion >= e.sentVersion) {
      e.tries = 0; // the notice was served; edits made since need one of their own
      this.notify(e);
    } else if (e.tries < this.maxTries) {
      this.notify(e); // dropped while an earlier fetch ran, or not served yet
    } else {
      e.pending = false;
    }
  };

  // The application is reading the data set: it gets everything edited so far.
  Reporter.prototype.fetched = function (type, bank) {
    var e = this.entry(type, bank);
    e.fetchedVersion = e.version;
  };

  // Whether every edit has been fetched by the application.
  Reporter.prototype.settled = function () {
    var sets = this.sets;
    return Object.keys(sets).every(function (k) { return sets[k].fetchedVersion >= sets[k].version || !sets[k].pending; });
  };

  // Which texts from the device model are this page's own hand-outs coming back, and which are
  // news. The application stores every fetched text in the device, whose setters compare
  // first, and the device's change signals reach the page in the order it took the texts. So
  // per data set the page keeps the hand-outs still on their way (a text equal to what the
  // device will hold by then makes no echo and is not waited for) and drops each one as its
  // echo arrives. Anything else is news, also a text this page handed out earlier: a transfer
  // from the mixer or a roll-back can bring back an old state, and the page must show it.
  function EchoFilter(maxPending) {
    this.maxPending = maxPending || 32;
    this.sets = {};
  }

  EchoFilter.prototype.entry = function (type, bank) {
    var key = keyOf(type, bank);
    return this.sets[key] || (this.sets[key] = { held: undefined, pending: [] });
  };

  // The device holds `text`, as the page read it from the device model.
  EchoFilter.prototype.loaded = function (type, bank, text) {
    this.entry(type, bank).held = text;
  };

  EchoFilter.prototype.handedOut = function (type, bank, text) {
    var e = this.entry(type, bank);
    if (text === e.held) return;
    e.held = text;
    e.pending.push(text);
    // A bridge that stores nothing would let the list grow without end.
    if (e.pending.length > this.maxPending) e.pending.shift();
  };

  // The device model reports `text`: true when it is a hand-out coming back or what the device
  // held already, false when the page has to show it. Hand-outs older than the one coming back
  // will not come back any more (the device never took them, or they changed nothing there).
  // After news, the hand-outs still out no longer describe what the page shows, so their late
  // echoes count as news as well.
  EchoFilter.prototype.arrived = function (type, bank, text) {
    var e = this.entry(type, bank);
    var i = e.pending.indexOf(text);
    if (i >= 0) {
      e.pending.splice(0, i + 1);
      return true;
    }
    if (text === e.held) return true;
    e.held = text;
    e.pending = [];
    return false;
  };

  return { CODES: CODES, Reporter: Reporter, EchoFilter: EchoFilter, keyOf: keyOf };
}));
