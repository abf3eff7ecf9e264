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

  // The texts this page handed out, per data set, so that their echo from the device model is
  // not taken for a change made elsewhere.
  function EchoFilter(depth) {
    this.depth = depth || 8;
    this.texts = {};
  }

  EchoFilter.prototype.handedOut = function (type, bank, text) {
    var list = this.texts[keyOf(type, bank)] || (this.texts[keyOf(type, bank)] = []);
    if (list[list.length - 1] === text) return;
    list.push(text);
    if (list.length > this.depth) list.shift();
  };

  EchoFilter.prototype.isOwn = function (type, bank, text) {
    var list = this.texts[keyOf(type, bank)];
    return !!list && list.indexOf(text) >= 0;
  };

  return { CODES: CODES, Reporter: Reporter, EchoFilter: EchoFilter, keyOf: keyOf };
}));
