// Presets, partial presets and the two EQ libraries: storing the console into a bank and
// bringing a bank back. Pure functions over the parsed data sets; the page reports the sets
// they change. Shared by the page (global ZephBanks) and the node tests.
(function (root, factory) {
  'use strict';
  if (typeof module === 'object' && module.exports) {
    module.exports = factory(require('./model.js'));
  } else {
    root.ZephBanks = factory(root.ZephModel);
  }
}(this, function (M) {
  'use strict';

  var clone = M.clone;
  var CONSOLE_PARTS = ['inputs', 'outputs', 'network_audio'];

  // ---- Presets -------------------------------------------------------------------------

  // The bank takes the console under a name; members of the bank that the page does not know
  // stay, as they would on the mixer.
  function storePreset(bank, current, name, model) {
    CONSOLE_PARTS.forEach(function (part) {
      if (part in current) bank[part] = clone(current[part]);
    });
    bank.name = M.cutName(name, M.NAME_LENGTHS.bank, '');
    bank.stored = true;
    return M.normalizeConsole(bank, model);
  }

  // The current state becomes the preset's console; its own other members stay.
  function recallPreset(current, bank, model) {
    CONSOLE_PARTS.forEach(function (part) {
      if (part in bank) current[part] = clone(bank[part]);
    });
    return M.normalizeConsole(current, model);
  }

  function clearPreset(model) { return M.factory.unusedPreset(model); }

  // ---- Partial presets -----------------------------------------------------------------

  // What a partial preset can hold of a channel or an output, in groups a user thinks in.
  var INPUT_GROUPS = [
    { id: 'name', label: 'Name', members: ['name'] },
    { id: 'preamp', label: 'Gain, +48 V, polarity', members: ['gain_db', 'phantom', 'polarity_invert'] },
    { id: 'hpf', label: 'High-pass', members: ['hpf'] },
    { id: 'eq', label: 'EQ', members: ['eq'] },
    { id: 'fader', label: 'Fader', members: ['fader_db'] },
    { id: 'mute', label: 'Mute', members: ['mute'] },
    { id: 'pan', label: 'Pan', members: ['pan'] },
    { id: 'sends', label: 'Monitor sends', members: ['aux_sends_db'] }
  ];
  var OUTPUT_GROUPS = [
    { id: 'name', label: 'Name', members: ['name'] },
    { id: 'level', label: 'Level', members: ['level_db'] },
    { id: 'mute', label: 'Mute', members: ['mute'] },
    { id: 'delay', label: 'Delay', members: ['delay_ms'] },
    { id: 'geq', label: 'Graphic EQ', members: ['geq'] }
  ];

  function pick(source, groups, chosen) {
    var out = {};
    groups.forEach(function (g) {
      if (chosen.indexOf(g.id) < 0) return;
      g.members.forEach(function (m) { if (m in source) out[m] = clone(source[m]); });
    });
    return out;
  }

  // selection: { inputs: [ch...], outputs: [out...], inputGroups: [id...], outputGroups: [id...] }
  function storePartial(bank, current, name, selection) {
    var inputs = [];
    var outputs = [];
    if (selection.inputGroups.length) {
      selection.inputs.slice().sort(function (a, b) { return a - b; }).forEach(function (ch) {
        var entry = { ch: ch };
        var picked = pick(current.inputs[ch - 1], INPUT_GROUPS, selection.inputGroups);
        Object.keys(picked).forEach(function (k) { entry[k] = picked[k]; });
        inputs.push(entry);
      });
    }
    if (selection.outputGroups.length) {
      selection.outputs.slice().sort(function (a, b) { return a - b; }).forEach(function (out) {
        var entry = { out: out };
        var picked = pick(current.outputs[out - 1], OUTPUT_GROUPS, selection.outputGroups);
        Object.keys(picked).forEach(function (k) { entry[k] = picked[k]; });
        outputs.push(entry);
      });
    }
    delete bank.inputs;
    delete bank.outputs;
    bank.name = M.cutName(name, M.NAME_LENGTHS.bank, '');
    bank.stored = true;
    if (inputs.length) bank.inputs = inputs;
    if (outputs.length) bank.outputs = outputs;
    return bank;
  }

  // What a bank holds, in the terms of the selection above.
  function partialSelection(bank) {
    var sel = { inputs: [], outputs: [], inputGroups: [], outputGroups: [] };
    function collect(list, key, count, groups, chosen, numbers) {
      if (!Array.isArray(list)) return;
      list.forEach(function (entry) {
        if (!M.isObject(entry) || M.channelIndex(entry[key], count) < 0) return;
        if (numbers.indexOf(entry[key]) < 0) numbers.push(entry[key]);
        groups.forEach(function (g) {
          var holds = g.members.some(function (m) { return m in entry; });
          if (holds && chosen.indexOf(g.id) < 0) chosen.push(g.id);
        });
      });
    }
    collect(bank.inputs, 'ch', M.INPUTS, INPUT_GROUPS, sel.inputGroups, sel.inputs);
    collect(bank.outputs, 'out', M.OUTPUTS, OUTPUT_GROUPS, sel.outputGroups, sel.outputs);
    sel.inputs.sort(function (a, b) { return a - b; });
    sel.outputs.sort(function (a, b) { return a - b; });
    return sel;
  }

  // Objects merge member by member and arrays element by element, so that a bank holding
  // only some members of an EQ band changes only those.
  function merge(target, source) {
    Object.keys(source).forEach(function (k) {
      var s = source[k];
      var t = target[k];
      if (M.isObject(s) && M.isObject(t)) {
        merge(t, s);
      } else if (Array.isArray(s) && Array.isArray(t)) {
        s.forEach(function (v, i) {
          if (M.isObject(v) && M.isObject(t[i])) merge(t[i], v);
          else t[i] = clone(v);
        });
      } else {
        target[k] = clone(s);
      }
    });
  }

  // Changes exactly what the bank holds; returns whether anything was recalled.
  function recallPartial(current, bank) {
    var touched = false;
    function apply(list, key, count, targets, normalize) {
      if (!Array.isArray(list)) return;
      list.forEach(function (entry) {
        var index = M.isObject(entry) ? M.channelIndex(entry[key], count) : -1;
        if (index < 0) return;
        var values = clone(entry);
        delete values[key];
        merge(targets[index], values);
        normalize(targets[index], index, false);
        touched = true;
      });
    }
    apply(bank.inputs, 'ch', M.INPUTS, current.inputs, M.normalizeInput);
    apply(bank.outputs, 'out', M.OUTPUTS, current.outputs, M.normalizeOutput);
    return touched;
  }

  function clearPartial() { return { name: '', stored: false }; }

  // ---- EQ libraries --------------------------------------------------------------------

  function storeLibrary(lib, slot, name, bands) {
    var entry = lib.entries[slot];
    entry.name = M.cutName(name, M.NAME_LENGTHS.bank, '');
    entry.bands = clone(bands);
    return entry;
  }

  // The slot's curve replaces the channel's bands (or the output's); the EQ's own switch stays.
  function applyLibrary(eq, entry) {
    eq.bands = clone(entry.bands);
    return eq;
  }

  function clearLibrary(lib, slot, twelveBand) {
    var entry = lib.entries[slot];
    entry.name = '';
    entry.bands = twelveBand ? M.factory.flatGeq() : M.factory.flatEq4();
    return entry;
  }

  return {
    INPUT_GROUPS: INPUT_GROUPS, OUTPUT_GROUPS: OUTPUT_GROUPS,
    storePreset: storePreset, recallPreset: recallPreset, clearPreset: clearPreset,
    storePartial: storePartial, recallPartial: recallPartial, clearPartial: clearPartial,
    partialSelection: partialSelection, merge: merge,
    storeLibrary: storeLibrary, applyLibrary: applyLibrary, clearLibrary: clearLibrary
  };
}));
