// Presets, partial presets and EQ libraries: what storing keeps, what recalling changes, and
// that a partial preset changes nothing it does not hold.
'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const shipped = require('./shippedpage.js');
const M = shipped('model.js');
const B = shipped('banks.js');

const MODEL = 'ZEPH-2208NET';

// Every path (a.b.0.c) whose value differs between two objects.
function differences(a, b, path = '') {
  if (typeof a !== 'object' || typeof b !== 'object' || a === null || b === null) {
    return a === b ? [] : [path];
  }
  const keys = new Set([...Object.keys(a), ...Object.keys(b)]);
  return [...keys].flatMap((k) => differences(a[k], b[k], path ? `${path}.${k}` : k));
}

test('storing a preset keeps the console under a name, recalling brings it back', () => {
  const current = M.factory.current(MODEL);
  current.inputs[0].name = 'Pastor';
  current.outputs[2].geq.bands[5].gain_db = -4.5;
  current.network_audio.tx[1].source = 'main L';
  const bank = M.factory.preset(MODEL, 4);
  bank.created = 'yesterday';

  B.storePreset(bank, current, 'Easter Sunday morning service', MODEL);
  assert.deepEqual([bank.stored, bank.name, bank.created], [true, 'Easter Sunday mornin', 'yesterday']);
  assert.deepEqual(differences(bank.inputs, current.inputs), []);
  assert.deepEqual(differences(bank.network_audio, current.network_audio), []);
  // The bank holds a copy: later edits of the console leave it alone.
  current.inputs[0].name = 'Choir';
  assert.equal(bank.inputs[0].name, 'Pastor');

  current.firmware = 'kept';
  B.recallPreset(current, bank, MODEL);
  assert.deepEqual(differences(current.inputs, bank.inputs), []);
  assert.deepEqual(differences(current.outputs, bank.outputs), []);
  assert.deepEqual([current.model, current.firmware], [MODEL, 'kept']);
  current.outputs[2].geq.bands[5].gain_db = 3;
  assert.equal(bank.outputs[2].geq.bands[5].gain_db, -4.5);
});

test('recalling a preset brings its values into range', () => {
  const bank = M.factory.preset(MODEL, 0);
  bank.inputs[4].fader_db = 40;
  bank.inputs[4].eq.bands[0].q = 99;
  const current = M.factory.current(MODEL);
  B.recallPreset(current, bank, MODEL);
  assert.deepEqual([current.inputs[4].fader_db, current.inputs[4].eq.bands[0].q], [10, 10]);
});

test('clearing a preset leaves the unused bank of the factory', () => {
  const cleared = B.clearPreset(MODEL);
  assert.equal(M.write(cleared), M.write(M.factory.preset(MODEL, 6)));
  assert.deepEqual([cleared.name, cleared.stored], ['', false]);
});

test('a partial preset stores only the chosen channels, outputs and parameters', () => {
  const current = M.factory.current(MODEL);
  const bank = M.factory.partial(9);
  B.storePartial(bank, current, 'Band EQ', { inputs: [7, 2], outputs: [4], inputGroups: ['eq', 'mute'], outputGroups: ['geq'] });
  assert.deepEqual(Object.keys(bank).sort(), ['inputs', 'name', 'outputs', 'stored']);
  assert.deepEqual(bank.inputs.map((e) => Object.keys(e).sort()), [['ch', 'eq', 'mute'], ['ch', 'eq', 'mute']]);
  assert.deepEqual(bank.inputs.map((e) => e.ch), [2, 7]);
  assert.deepEqual(bank.inputs[1].eq, current.inputs[6].eq);
  assert.deepEqual(bank.outputs, [{ out: 4, geq: current.outputs[3].geq }]);
  assert.deepEqual(B.partialSelection(bank), { inputs: [2, 7], outputs: [4], inputGroups: ['eq', 'mute'], outputGroups: ['geq'] });

  // Outputs chosen without any output parameter: the bank holds no outputs at all.
  B.storePartial(bank, current, 'Faders', { inputs: [1], outputs: [1, 2], inputGroups: ['fader', 'preamp'], outputGroups: [] });
  assert.ok(!('outputs' in bank));
  assert.deepEqual(bank.inputs, [{ ch: 1, gain_db: 38, phantom: false, polarity_invert: false, fader_db: 0 }]);
  assert.deepEqual(B.clearPartial(), { name: '', stored: false });
});

test('recalling a partial preset changes only what the bank holds', () => {
  const before = M.factory.current(MODEL);
  const current = M.factory.current(MODEL);
  const bank = { name: 'Fix', stored: true,
    inputs: [{ ch: 2, mute: true, eq: { bands: [{ gain_db: 5 }] } }, { ch: 0, mute: true }, { ch: '3', mute: true }],
    outputs: [{ out: 6, delay_ms: 12.5, name: 'Drum fill' }] };
  assert.equal(B.recallPartial(current, bank), true);
  assert.deepEqual(differences(before, current).sort(),
    ['inputs.1.eq.bands.0.gain_db', 'inputs.1.mute', 'outputs.5.delay_ms', 'outputs.5.name']);
  assert.deepEqual([current.inputs[1].eq.bands[0].gain_db, current.outputs[5].name], [5, 'Drum fill']);

  // The factory "Monitor EQ" bank changes the graphic EQ of outputs 3 to 8 and nothing else.
  const fresh = M.factory.current(MODEL);
  B.recallPartial(fresh, M.factory.partial(1));
  const changed = differences(before, fresh);
  assert.ok(changed.length > 0);
  assert.ok(changed.every((p) => /^outputs\.[2-7]\.geq\./.test(p)), changed.join());

  // A bank naming no valid channel recalls nothing; values are brought into range.
  assert.equal(B.recallPartial(fresh, { name: 'x', stored: true, inputs: [{ ch: 9, mute: true }] }), false);
  B.recallPartial(fresh, { inputs: [{ ch: 1, gain_db: 99, pan: -300 }] });
  assert.deepEqual([fresh.inputs[0].gain_db, fresh.inputs[0].pan], [60, -100]);
});

test('EQ library slots store, apply and clear curves', () => {
  const current = M.factory.current('ZEPH-2208');
  const eq4 = M.factory.library(false);
  current.inputs[2].eq.bands[1].gain_db = -7.5;
  B.storeLibrary(eq4, 9, 'Nylon guitar', current.inputs[2].eq.bands);
  assert.equal(eq4.entries[9].name, 'Nylon guitar');
  assert.deepEqual(eq4.entries[9].bands, current.inputs[2].eq.bands);
  current.inputs[2].eq.bands[1].gain_db = 0;
  assert.equal(eq4.entries[9].bands[1].gain_db, -7.5, 'the slot holds a copy');

  current.inputs[7].eq.on = false;
  B.applyLibrary(current.inputs[7].eq, eq4.entries[0]);
  assert.deepEqual(current.inputs[7].eq.bands, eq4.entries[0].bands);
  assert.equal(current.inputs[7].eq.on, false, 'applying keeps the EQ switch');

  B.clearLibrary(eq4, 9, false); // the factory library's slot 9 is empty and flat
  assert.equal(M.write(eq4), M.write(M.factory.library(false)));

  const eq12 = M.factory.library(true);
  B.applyLibrary(current.outputs[4].geq, eq12.entries[5]);
  assert.deepEqual(current.outputs[4].geq.bands.map((b) => b.gain_db), [0, 0, 0, 0, 0, 0, 0, -6, -9, 0, 0, 0]);
  B.clearLibrary(eq12, 5, true);
  assert.deepEqual(eq12.entries[5].bands.map((b) => b.gain_db), Array(12).fill(0));
});
