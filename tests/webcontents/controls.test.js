// How controls step, travel and show their values: keys land on round values, level controls
// and log controls map to their travel and back, and every value carries its unit.
'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const shipped = require('./shippedpage.js');
const M = shipped('model.js');
const C = shipped('controls.js');

const R = M.RANGES;

test('arrow keys land on the step grid, in octaves for frequencies', () => {
  assert.equal(C.stepValue(2.37, R.fader, 1), 3);
  assert.equal(C.stepValue(-3, R.fader, -1), -3.5);
  assert.equal(C.stepValue(-60, R.fader, -1), -62, 'coarser steps below -60 dB');
  assert.equal(C.stepValue(-62, R.fader, 1), -60);
  assert.equal(C.stepValue(0, R.pan, -1, true), -10, 'Shift moves ten steps');
  assert.ok(Math.abs(C.stepValue(1000, R.bandFreq, 1) - 1000 * Math.pow(2, 1 / 12)) < 1e-9);
  assert.ok(Math.abs(C.stepValue(1000, R.bandFreq, -1) - 1000 / Math.pow(2, 1 / 12)) < 1e-9);
  // Stepping stays within the range once clamped, as the controls do.
  assert.equal(M.clampNumber(C.stepValue(-99, R.fader, -1), R.fader), -100);
  assert.equal(M.clampNumber(C.stepValue(60, R.gain, 1), R.gain), 60);
});

test('positions along a control map back to the same values', () => {
  for (const [range, values] of [[R.fader, [-100, -80, -60, -20, 0, 10]], [R.bandFreq, [20, 100, 1000, 20000]],
    [R.q, [0.3, 1, 10]], [R.gain, [0, 30, 60]], [R.pan, [-100, 0, 100]]]) {
    let last = -Infinity;
    for (const v of values) {
      const u = C.toUnit(v, range);
      assert.ok(u >= 0 && u <= 1 && u > last, `travel of ${v} is in order`);
      last = u;
      assert.ok(Math.abs(C.fromUnit(u, range) - v) < 1e-9, `${v} and back`);
    }
  }
  assert.equal(C.toUnit(20, R.bandFreq), 0);
  assert.equal(C.toUnit(20000, R.bandFreq), 1);
  assert.equal(C.fromUnit(1.5, R.level), 10, 'beyond the end is the end');
});

test('values are shown with their units', () => {
  assert.equal(C.formatNumber(-100, R.fader), '−∞ dB');
  assert.equal(C.formatNumber(-3.5, R.fader), '−3.5 dB');
  assert.equal(C.formatNumber(Object.assign({}, R.send, { offText: 'off' }).min, Object.assign({}, R.send, { offText: 'off' })), 'off');
  assert.equal(C.formatNumber(80, R.hpf), '80 Hz');
  assert.equal(C.formatNumber(1250, R.bandFreq), '1.25 kHz');
  assert.equal(C.formatNumber(12500, R.bandFreq), '12.5 kHz');
  assert.equal(C.formatNumber(2.5, R.delay), '2.5 ms');
  assert.equal(C.formatNumber(4, Object.assign({ signed: true }, R.bandGain)), '+4.0 dB');
  assert.deepEqual([C.formatPan(0), C.formatPan(-20), C.formatPan(100)], ['C', 'L 20', 'R 100']);
});
