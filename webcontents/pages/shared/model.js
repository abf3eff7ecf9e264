// The mixer data as the settings pages hold it: ranges, clamping, the factory state and the
// reading and writing of the five data sets. Loads as a classic script in the page (global
// ZephModel) and as a CommonJS module in node, so the same file is tested and shipped. The
// project's own text rules come from textrules.js, which the build writes beside this file
// from the program's rules and the page loads first.
(function (root, factory) {
  'use strict';
  if (typeof module === 'object' && module.exports) {
    module.exports = factory(require('./textrules.js'));
  } else {
    root.ZephModel = factory(root.VelmoraTextRules);
  }
}(this, function (textRules) {
  'use strict';

  var INPUTS = 8;
  var OUTPUTS = 8;
  var SENDS = 6;
  var PRESET_BANKS = 8;
  var PARTIAL_BANKS = 40;
  var LIBRARY_SLOTS = 16;
  var GEQ_FREQS = [80, 125, 200, 315, 500, 800, 1250, 2000, 3150, 5000, 8000, 12500];
  var BAND_TYPES = ['low_shelf', 'peak', 'high_shelf'];
  var SAMPLE_RATES = [44100, 48000, 96000];
  var LATENCIES = [0.25, 0.5, 1, 2, 5];
  var NET_SOURCES = ['off'];
  for (var s = 1; s <= 8; ++s) NET_SOURCES.push('input ' + s);
  NET_SOURCES.push('main L', 'main R');
  for (s = 1; s <= 6; ++s) NET_SOURCES.push('monitor ' + s);

  // Numeric members: range, keyboard step, display precision and unit. "int" members are
  // whole numbers; "log" members step by a fraction of an octave rather than a fixed amount.
  var RANGES = {
    gain: { min: 0, max: 60, step: 1, digits: 0, unit: 'dB' },
    hpf: { min: 20, max: 400, step: 1 / 12, log: true, int: true, digits: 0, unit: 'Hz' },
    fader: { min: -100, max: 10, step: 0.5, digits: 1, unit: 'dB', offAt: -100 },
    pan: { min: -100, max: 100, step: 1, int: true, digits: 0, unit: '' },
    send: { min: -100, max: 10, step: 0.5, digits: 1, unit: 'dB', offAt: -100 },
    bandFreq: { min: 20, max: 20000, step: 1 / 12, log: true, int: true, digits: 0, unit: 'Hz' },
    bandGain: { min: -15, max: 15, step: 0.5, digits: 1, unit: 'dB' },
    q: { min: 0.3, max: 10, step: 1 / 12, log: true, digits: 2, unit: '' },
    level: { min: -100, max: 10, step: 0.5, digits: 1, unit: 'dB', offAt: -100 },
    delay: { min: 0, max: 100, step: 0.1, digits: 1, unit: 'ms' },
    geqGain: { min: -12, max: 12, step: 0.5, digits: 1, unit: 'dB' },
    latency: { min: 0.25, max: 5, step: 0.25, digits: 2, unit: 'ms' },
    deviceId: { min: -1, max: 255, step: 1, int: true, digits: 0, unit: '' },
    color: { min: 0, max: 6, step: 1, int: true, digits: 0, unit: '' }
  };

  // Longest names the console's displays hold; a device name is held by the project file too,
  // so its length is the project's.
  var NAME_LENGTHS = { strip: 12, bank: 20, device: textRules.deviceNameLength, source: 16 };
  // Characters a device name may not hold (the project file rejects them).
  var DEVICE_NAME_FORBIDDEN = new RegExp('[^' +
    textRules.deviceNameCharacters.replace(/[\\\]\[^-]/g, '\\$&') + ']', 'g');

  function isObject(v) { return v !== null && typeof v === 'object' && !Array.isArray(v); }
  function clone(v) { return v === undefined ? undefined : JSON.parse(JSON.stringify(v)); }

  function roundTo(v, range) {
    if (range.int) return Math.round(v);
    return Math.round(v * 100) / 100;
  }

  // A number inside the range; anything that is not a finite number becomes the fallback.
  function clampNumber(v, range, fallback) {
    if (typeof v !== 'number' || !isFinite(v)) v = fallback;
    if (typeof v !== 'number' || !isFinite(v)) v = range.min;
    return roundTo(Math.min(range.max, Math.max(range.min, v)), range);
  }

  function cutName(v, length, fallback) {
    if (typeof v !== 'string') v = typeof fallback === 'string' ? fallback : '';
    // Cut by code points so that a name never ends in half a character.
    var chars = Array.from(v);
    return chars.length > length ? chars.slice(0, length).join('') : v;
  }

  function cleanDeviceName(v) {
    return cutName(String(v).replace(DEVICE_NAME_FORBIDDEN, ''), NAME_LENGTHS.device);
  }

  function bool(v, fallback) { return typeof v === 'boolean' ? v : !!fallback; }

  // Makes `holder[key]` an object, keeping what is there when it already is one.
  function objectAt(holder, key) {
    if (!isObject(holder[key])) holder[key] = {};
    return holder[key];
  }

  // Makes `holder[key]` an array of at least `length` objects; extra elements stay untouched.
  function arrayAt(holder, key, length) {
    var a = Array.isArray(holder[key]) ? holder[key] : (holder[key] = []);
    for (var i = 0; i < length; ++i) {
      if (!isObject(a[i])) a[i] = {};
    }
    return a;
  }

  // ---- Factory state -------------------------------------------------------------------
  // The console as it leaves the factory, with its keys in the order the mixer writes them,
  // so that an untouched data set reads back as the mixer's own text.

  var INPUT_SETUPS = [
    ['Vocal 1', 38, false, 0, 0], ['Vocal 2', 36, false, -20, 1], ['Acoustic', 24, true, 30, 4],
    ['Keys L', 8, false, -100, 4], ['Keys R', 8, false, 100, 4], ['Bass DI', 12, true, 0, 5],
    ['Kick', 28, false, 0, 2], ['Snare', 30, false, 15, 3]
  ];
  var GEQ_CURVES = [
    [0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0], [-6, -3, -1.5, 0, 0, 0, 1, 2, 2, 1, 0, -1],
    [-3, -1.5, 0, -2, -3, 0, 0, 1, 2, 1.5, 0, 0], [2, 2, 1, 0, 0, 0, 0, 0, -1, -2, -3, -4],
    [-1, 0, 0, 0, 0, 0, 0, 1, 2, 3, 3, 2], [0, 0, 0, 0, 0, 0, 0, -6, -9, 0, 0, 0]
  ];
  var GEQ_NAMES = ['Flat', 'Speech', 'Live Vocal', 'Warm Room', 'Bright Room', 'Feedback 2k/3k'];
  // name, low shelf, low-mid, high-mid, high shelf gains; low-mid and high-mid frequencies.
  var CHANNEL_EQS = [
    ['Male Vocal', -2, -3, 2, 1.5, 350, 3000], ['Female Vocal', -4, -2, 1.5, 2.5, 500, 4000],
    ['Kick', 3, -6, 4, 0, 400, 3500], ['Snare', -2, 2, 3, 1, 250, 5000],
    ['Acoustic Guitar', -3, -2, 1, 2, 250, 3000], ['Bass DI', 2, -3, 1.5, -2, 300, 2000]
  ];
  var FLAT_EQ = ['', 0, 0, 0, 0, 350, 3000];

  function sortedKeys(v) {
    if (Array.isArray(v)) return v.map(sortedKeys);
    if (!isObject(v)) return v;
    var out = {};
    Object.keys(v).sort().forEach(function (k) { out[k] = sortedKeys(v[k]); });
    return out;
  }

  function band(type, freq, gain, q) {
    return { type: type, freq_hz: freq, gain_db: gain, q: q, on: true };
  }

  function eq4Bands(eq) {
    return [band('low_shelf', 100, eq[1], 0.7), band('peak', eq[5], eq[2], 1.4),
      band('peak', eq[6], eq[3], 1.0), band('high_shelf', 9000, eq[4], 0.7)];
  }

  function geqBands(curve) {
    return GEQ_FREQS.map(function (f, i) { return { freq_hz: f, gain_db: GEQ_CURVES[curve % 6][i] }; });
  }

  function factoryInput(ch, variant) {
    var setup = INPUT_SETUPS[ch];
    var sends = [];
    for (var aux = 0; aux < SENDS; ++aux) sends.push((aux + ch + variant) % 4 === 0 ? -6 : -100);
    return {
      ch: ch + 1, name: setup[0], gain_db: setup[1] + variant, phantom: setup[2],
      polarity_invert: false, hpf: { on: ch !== 5 && ch !== 6, freq_hz: 80 + 20 * variant },
      eq: { on: true, bands: eq4Bands(CHANNEL_EQS[setup[4]]) },
      fader_db: variant === 0 ? 0 : -5, mute: false, pan: setup[3], aux_sends_db: sends
    };
  }

  function outputName(out) {
    return out < 2 ? (out === 0 ? 'Main L' : 'Main R') : 'Monitor ' + (out - 1);
  }

  function factoryOutput(out, variant) {
    return {
      out: out + 1, name: outputName(out), level_db: out < 2 ? 0 : -3 - variant, mute: false,
      delay_ms: out < 2 ? 0 : 2.5, geq: { on: out < 2 || variant > 0, bands: geqBands(variant) }
    };
  }

  function factorySnapshot(model, variant) {
    var state = { inputs: [], outputs: [] };
    for (var ch = 0; ch < INPUTS; ++ch) state.inputs.push(factoryInput(ch, variant));
    for (var out = 0; out < OUTPUTS; ++out) state.outputs.push(factoryOutput(out, variant));
    if (model === 'ZEPH-2208NET') {
      var tx = [];
      for (ch = 0; ch < INPUTS; ++ch) tx.push({ ch: ch + 1, source: 'input ' + (ch + 1) });
      state.network_audio = { sample_rate: 48000, latency_ms: 1, tx: tx };
    }
    return state;
  }

  var PRESET_NAMES = ['Sunday Service', 'Band Rehearsal', 'Conference'];

  var factory = {
    current: function (model) {
      var state = factorySnapshot(model, 0);
      state.model = model;
      return sortedKeys(state);
    },
    preset: function (model, bank) {
      var state = factorySnapshot(model, bank < 3 ? bank : 0);
      state.name = bank < 3 ? PRESET_NAMES[bank] : '';
      state.stored = bank < 3;
      return sortedKeys(state);
    },
    partial: function (bank) {
      if (bank === 0) {
        return sortedKeys({ name: 'Vocal mics', stored: true,
          inputs: [factoryInput(0, 1), factoryInput(1, 1)] });
      }
      if (bank === 1) {
        var outputs = [];
        for (var out = 2; out < OUTPUTS; ++out) {
          outputs.push({ out: out + 1, geq: factoryOutput(out, 2).geq });
        }
        return sortedKeys({ name: 'Monitor EQ', stored: true, outputs: outputs });
      }
      return { name: '', stored: false };
    },
    library: function (twelveBand) {
      var entries = [];
      for (var slot = 0; slot < LIBRARY_SLOTS; ++slot) {
        var used = slot < 6;
        entries.push({
          slot: slot,
          name: !used ? '' : (twelveBand ? GEQ_NAMES[slot] : CHANNEL_EQS[slot][0]),
          bands: twelveBand ? geqBands(used ? slot : 0) : eq4Bands(used ? CHANNEL_EQS[slot] : FLAT_EQ)
        });
      }
      return sortedKeys({ entries: entries });
    },
    flatEq4: function () { return sortedKeys(eq4Bands(FLAT_EQ)); },
    flatGeq: function () { return geqBands(0); },
    unusedPreset: function (model) { return factory.preset(model, 3); }
  };

  // ---- Normalising ---------------------------------------------------------------------
  // Each function brings a parsed object into range in place, filling what is missing or of
  // the wrong type from the reference object `ref`, and leaves members it does not know alone.

  function normalizeBand(b, ref) {
    if (BAND_TYPES.indexOf(b.type) < 0) b.type = ref.type;
    b.freq_hz = clampNumber(b.freq_hz, RANGES.bandFreq, ref.freq_hz);
    b.gain_db = clampNumber(b.gain_db, RANGES.bandGain, ref.gain_db);
    b.q = clampNumber(b.q, RANGES.q, ref.q);
    b.on = bool(b.on, ref.on);
    return b;
  }

  function normalizeGeqBand(b, ref) {
    b.freq_hz = clampNumber(b.freq_hz, RANGES.bandFreq, ref.freq_hz);
    b.gain_db = clampNumber(b.gain_db, RANGES.geqGain, ref.gain_db);
    return b;
  }

  function normalizeBands(holder, refBands, normalizeOne) {
    var bands = arrayAt(holder, 'bands', refBands.length);
    for (var i = 0; i < refBands.length; ++i) normalizeOne(bands[i], refBands[i]);
    return bands;
  }

  // Input members, one function each, so that a partial preset can bring only the members it
  // holds into range.
  var INPUT_MEMBERS = {
    name: function (c, r) { c.name = cutName(c.name, NAME_LENGTHS.strip, r.name); },
    gain_db: function (c, r) { c.gain_db = clampNumber(c.gain_db, RANGES.gain, r.gain_db); },
    phantom: function (c, r) { c.phantom = bool(c.phantom, r.phantom); },
    polarity_invert: function (c, r) { c.polarity_invert = bool(c.polarity_invert, r.polarity_invert); },
    hpf: function (c, r) {
      var h = objectAt(c, 'hpf');
      h.on = bool(h.on, r.hpf.on);
      h.freq_hz = clampNumber(h.freq_hz, RANGES.hpf, r.hpf.freq_hz);
    },
    eq: function (c, r) {
      var e = objectAt(c, 'eq');
      e.on = bool(e.on, r.eq.on);
      normalizeBands(e, r.eq.bands, normalizeBand);
    },
    fader_db: function (c, r) { c.fader_db = clampNumber(c.fader_db, RANGES.fader, r.fader_db); },
    mute: function (c, r) { c.mute = bool(c.mute, r.mute); },
    pan: function (c, r) { c.pan = clampNumber(c.pan, RANGES.pan, r.pan); },
    aux_sends_db: function (c, r) {
      var a = Array.isArray(c.aux_sends_db) ? c.aux_sends_db : (c.aux_sends_db = []);
      for (var i = 0; i < SENDS; ++i) a[i] = clampNumber(a[i], RANGES.send, r.aux_sends_db[i]);
    }
  };

  var OUTPUT_MEMBERS = {
    name: function (o, r) { o.name = cutName(o.name, NAME_LENGTHS.strip, r.name); },
    level_db: function (o, r) { o.level_db = clampNumber(o.level_db, RANGES.level, r.level_db); },
    mute: function (o, r) { o.mute = bool(o.mute, r.mute); },
    delay_ms: function (o, r) { o.delay_ms = clampNumber(o.delay_ms, RANGES.delay, r.delay_ms); },
    geq: function (o, r) {
      var g = objectAt(o, 'geq');
      g.on = bool(g.on, r.geq.on);
      normalizeBands(g, r.geq.bands, normalizeGeqBand);
    }
  };

  function normalizeMembers(target, ref, members, onlyPresent) {
    Object.keys(members).forEach(function (key) {
      if (!onlyPresent || Object.prototype.hasOwnProperty.call(target, key)) members[key](target, ref);
    });
    return target;
  }

  function normalizeInput(c, index, onlyPresent) {
    c.ch = index + 1;
    return normalizeMembers(c, factoryInput(index, 0), INPUT_MEMBERS, onlyPresent);
  }

  function normalizeOutput(o, index, onlyPresent) {
    o.out = index + 1;
    return normalizeMembers(o, factoryOutput(index, 0), OUTPUT_MEMBERS, onlyPresent);
  }

  function normalizeNetwork(n) {
    n.sample_rate = SAMPLE_RATES.indexOf(n.sample_rate) >= 0 ? n.sample_rate : 48000;
    n.latency_ms = clampNumber(n.latency_ms, RANGES.latency, 1);
    var tx = arrayAt(n, 'tx', INPUTS);
    for (var i = 0; i < INPUTS; ++i) {
      tx[i].ch = i + 1;
      tx[i].source = cutName(tx[i].source, NAME_LENGTHS.source, 'input ' + (i + 1));
    }
    return n;
  }

  // The console part shared by the current state and the presets.
  function normalizeConsole(state, model) {
    var inputs = arrayAt(state, 'inputs', INPUTS);
    for (var i = 0; i < INPUTS; ++i) normalizeInput(inputs[i], i, false);
    var outputs = arrayAt(state, 'outputs', OUTPUTS);
    for (i = 0; i < OUTPUTS; ++i) normalizeOutput(outputs[i], i, false);
    if (model === 'ZEPH-2208NET') normalizeNetwork(objectAt(state, 'network_audio'));
    return state;
  }

  function normalizeCurrent(state, model) {
    if (typeof state.model !== 'string') state.model = model;
    return normalizeConsole(state, model);
  }

  function normalizeBankHead(bank) {
    bank.name = cutName(bank.name, NAME_LENGTHS.bank, '');
    bank.stored = bool(bank.stored, false);
    return bank;
  }

  function normalizePreset(bank, model) {
    return normalizeConsole(normalizeBankHead(bank), model);
  }

  // A partial preset lists channels and outputs by number; only the members present are
  // brought into range. Entries naming no valid channel are kept as they are.
  function normalizePartial(bank) {
    normalizeBankHead(bank);
    if (Array.isArray(bank.inputs)) {
      bank.inputs.forEach(function (c) {
        if (isObject(c) && channelIndex(c.ch, INPUTS) >= 0) normalizeInput(c, c.ch - 1, true);
      });
    }
    if (Array.isArray(bank.outputs)) {
      bank.outputs.forEach(function (o) {
        if (isObject(o) && channelIndex(o.out, OUTPUTS) >= 0) normalizeOutput(o, o.out - 1, true);
      });
    }
    return bank;
  }

  function channelIndex(n, count) {
    return typeof n === 'number' && n === Math.floor(n) && n >= 1 && n <= count ? n - 1 : -1;
  }

  function normalizeLibrary(lib, twelveBand) {
    var ref = factory.library(twelveBand).entries;
    var entries = arrayAt(lib, 'entries', LIBRARY_SLOTS);
    for (var i = 0; i < LIBRARY_SLOTS; ++i) {
      var e = entries[i];
      e.slot = i;
      e.name = cutName(e.name, NAME_LENGTHS.bank, '');
      // A slot without a usable curve holds a flat one, as an unused slot does.
      var flat = twelveBand ? factory.flatGeq() : factory.flatEq4();
      normalizeBands(e, Array.isArray(e.bands) ? ref[i].bands : flat,
        twelveBand ? normalizeGeqBand : normalizeBand);
    }
    return lib;
  }

  // ---- Reading and writing -------------------------------------------------------------

  // Reads one data set. An empty or unreadable text gives the factory object and a notice
  // ('empty' or 'unreadable') that the page shows; members not known here are kept.
  function readSet(text, makeFactory, normalize, isEmpty) {
    var parsed;
    if (typeof text !== 'string' || text.trim() === '') return { data: makeFactory(), notice: 'empty' };
    try {
      parsed = JSON.parse(text);
    } catch (e) {
      return { data: makeFactory(), notice: 'unreadable' };
    }
    if (!isObject(parsed)) return { data: makeFactory(), notice: 'unreadable' };
    if (isEmpty(parsed)) return { data: makeFactory(), notice: 'empty' };
    return { data: normalize(parsed), notice: null };
  }

  function hasNone(keys) {
    return function (o) { return keys.every(function (k) { return !(k in o); }); };
  }

  var read = {
    current: function (text, model) {
      return readSet(text, function () { return factory.current(model); },
        function (o) { return normalizeCurrent(o, model); }, hasNone(['inputs', 'outputs']));
    },
    preset: function (text, model, bank) {
      return readSet(text, function () { return factory.preset(model, bank); },
        function (o) { return normalizePreset(o, model); }, hasNone(['inputs', 'outputs', 'name', 'stored']));
    },
    partial: function (text, bank) {
      return readSet(text, function () { return factory.partial(bank); }, normalizePartial,
        hasNone(['inputs', 'outputs', 'name', 'stored']));
    },
    library: function (text, twelveBand) {
      return readSet(text, function () { return factory.library(twelveBand); },
        function (o) { return normalizeLibrary(o, twelveBand); }, hasNone(['entries']));
    }
  };

  function write(data) { return JSON.stringify(data); }

  // Default of a control: where the factory console has a sensible start, that value.
  function inputDefault(ch) { return factoryInput(ch, 0); }
  function outputDefault(out) { return factoryOutput(out, 0); }

  return {
    INPUTS: INPUTS, OUTPUTS: OUTPUTS, SENDS: SENDS, PRESET_BANKS: PRESET_BANKS,
    PARTIAL_BANKS: PARTIAL_BANKS, LIBRARY_SLOTS: LIBRARY_SLOTS, GEQ_FREQS: GEQ_FREQS,
    BAND_TYPES: BAND_TYPES, SAMPLE_RATES: SAMPLE_RATES, LATENCIES: LATENCIES,
    NET_SOURCES: NET_SOURCES, RANGES: RANGES, NAME_LENGTHS: NAME_LENGTHS,
    isObject: isObject, clone: clone, clampNumber: clampNumber, cutName: cutName,
    cleanDeviceName: cleanDeviceName, channelIndex: channelIndex,
    factory: factory, read: read, write: write,
    normalizeInput: normalizeInput, normalizeOutput: normalizeOutput,
    normalizeConsole: normalizeConsole, normalizeNetwork: normalizeNetwork,
    normalizeBand: normalizeBand, normalizePartial: normalizePartial,
    normalizeLibrary: normalizeLibrary,
    inputDefault: inputDefault, outputDefault: outputDefault, outputName: outputName
  };
}));
