// EQ maths against values every sound engineer knows: a peak reaches its gain at its centre,
// a shelf its gain far from its corner and half of it at the corner, a Butterworth high-pass
// is 3 dB down at its corner and falls 12 dB per octave.
'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const shipped = require('./shippedpage.js');
const Q = shipped('eqmath.js');
const M = shipped('model.js');

function at(type, freq, gain, q, f) {
  return Q.magnitudeDb(Q.coefficients(type, freq, gain, q), f);
}

function near(actual, expected, tolerance, what) {
  assert.ok(Math.abs(actual - expected) <= tolerance, `${what}: ${actual} is not ${expected} ± ${tolerance}`);
}

test('a peak reaches its gain at its centre and leaves far frequencies alone', () => {
  near(at('peak', 1000, 6, 1.4, 1000), 6.0, 0.01, '+6 dB peak at 1 kHz');
  near(at('peak', 3000, -12, 1.0, 3000), -12.0, 0.01, '-12 dB cut at 3 kHz');
  near(at('peak', 250, 15, 10, 250), 15.0, 0.01, 'narrow +15 dB at 250 Hz');
  near(at('peak', 1000, 6, 1.4, 20), 0, 0.05, '+6 dB peak seen at 20 Hz');
  // The centre is the maximum: one sixth of an octave either side is lower.
  assert.ok(at('peak', 1000, 6, 1.4, 1122) < 6 && at('peak', 1000, 6, 1.4, 891) < 6);
  near(at('peak', 1000, 0, 1.4, 1000), 0, 1e-9, 'a 0 dB peak');
});

test('a shelf reaches its gain beyond its corner and half of it at the corner', () => {
  near(at('low_shelf', 100, 6, 0.7, 5), 6, 0.05, 'low shelf far below its corner');
  near(at('low_shelf', 100, 6, 0.7, 100), 3, 0.01, 'low shelf at its corner');
  near(at('low_shelf', 100, 6, 0.7, 10000), 0, 0.02, 'low shelf far above its corner');
  near(at('high_shelf', 2000, -8, 0.7, 23000), -8, 0.1, 'high shelf near the top');
  near(at('high_shelf', 2000, -8, 0.7, 2000), -4, 0.01, 'high shelf at its corner');
  near(at('high_shelf', 2000, -8, 0.7, 30), 0, 0.02, 'high shelf far below its corner');
});

test('the high-pass filter is 3 dB down at its corner and falls 12 dB per octave', () => {
  for (const corner of [20, 80, 150, 400]) {
    near(Q.hpfResponse(corner, [corner])[0], -3.01, 0.02, `high-pass at ${corner} Hz`);
  }
  const response = Q.hpfResponse(100, [25, 12.5, 10000]);
  near(response[0], -24.1, 0.3, 'two octaves below a 100 Hz corner');
  near(response[0] - response[1], 12, 0.2, 'the slope between 25 and 12.5 Hz');
  near(response[2], 0, 0.01, 'far above the corner');
});

test('a channel sums the bands that are on and its high-pass', () => {
  const channel = {
    hpf: { on: true, freq_hz: 100 },
    eq: { on: true, bands: [
      { type: 'low_shelf', freq_hz: 100, gain_db: 0, q: 0.7, on: true },
      { type: 'peak', freq_hz: 1000, gain_db: 6, q: 1.4, on: true },
      { type: 'peak', freq_hz: 5000, gain_db: -9, q: 2, on: false },
      { type: 'high_shelf', freq_hz: 9000, gain_db: 0, q: 0.7, on: true }
    ] }
  };
  const freqs = [100, 1000, 5000];
  let curves = Q.channelCurves(channel, freqs);
  near(curves.total[0], -3.01 + at('peak', 1000, 6, 1.4, 100), 0.01, 'total at the corner');
  near(curves.total[1], 6 + Q.hpfResponse(100, [1000])[0], 0.01, 'total at the peak');
  near(curves.total[2], at('peak', 1000, 6, 1.4, 5000), 0.01, 'a band that is off adds nothing');
  near(curves.bands[2][2], -9, 0.01, 'a band that is off is still drawn');

  channel.eq.on = false;
  curves = Q.channelCurves(channel, freqs);
  near(curves.total[1], Q.hpfResponse(100, [1000])[0], 1e-9, 'EQ off leaves the high-pass');
  channel.hpf.on = false;
  assert.deepEqual(Array.from(Q.channelCurves(channel, freqs).total), [0, 0, 0]);
});

test('the graphic EQ is flat at 0 dB and peaks at a raised band', () => {
  const bands = [80, 125, 200, 315, 500, 800, 1250, 2000, 3150, 5000, 8000, 12500]
    .map((f) => ({ freq_hz: f, gain_db: 0 }));
  const freqs = Q.logFrequencies(400);
  assert.ok(Q.geqCurve({ on: true, bands }, freqs).every((v) => Math.abs(v) < 1e-9));
  bands[6].gain_db = 6;
  const curve = Q.geqCurve({ on: true, bands }, freqs);
  const top = curve.indexOf(Math.max(...curve));
  near(freqs[top], 1250, 60, 'frequency of the highest point');
  near(curve[top], 6, 0.05, 'height of the highest point');
  // Half-way to a neighbour band (a third of an octave) the single band has fallen clearly.
  near(Q.geqBandResponse(bands[6], [1250 * Math.pow(2, 1 / 3)])[0], 3, 1.0, 'a third of an octave away');
  assert.ok(Q.geqCurve({ on: false, bands }, freqs).every((v) => v === 0), 'a graphic EQ that is off is flat');
});

test('the log axis runs from 20 Hz to 20 kHz', () => {
  const f = Q.logFrequencies(31);
  near(f[0], 20, 1e-9, 'first point');
  near(f[30], 20000, 1e-6, 'last point');
  near(f[10], 200, 1e-6, 'a third of the way (one decade)');
  for (const hz of [20, 63, 1000, 19999]) near(Q.unitToFreq(Q.freqToUnit(hz)), hz, 1e-6, `${hz} Hz and back`);
  assert.throws(() => Q.coefficients('notch', 1000, 0, 1), /unknown filter type/);
});

// The graphic EQ's plot draws its curve point i at x = i / (points - 1) * width; a raised band
// must peak right above its fader, at every width the page takes.
test('each graphic EQ fader stands under the peak its band makes on the plot', () => {
  const axis = Q.geqAxis(M.GEQ_FREQS);
  const columns = Q.geqColumns(M.GEQ_FREQS);
  for (const width of [300, 640, 1100, 1840]) {
    const points = Math.min(400, Math.max(64, Math.round(width / 2)));
    const freqs = Q.logFrequencies(points, axis);
    near(freqs[0], axis.min, 1e-9, 'the curve starts at the axis');
    near(freqs[points - 1], axis.max, 1e-6, 'and ends with it');
    M.GEQ_FREQS.forEach((f, i) => {
      const curve = Q.geqBandResponse({ freq_hz: f, gain_db: 12 }, freqs);
      const peak = curve.indexOf(Math.max(...curve));
      const peakX = peak / (points - 1) * width;
      near(columns[i].centre * width, peakX, 3, `${f} Hz at ${width} px`);
    });
  }
});

test('the graphic EQ faders share the plot width, one column each', () => {
  const columns = Q.geqColumns(M.GEQ_FREQS);
  assert.equal(columns.length, 12);
  near(columns[0].left, 0, 1e-9, 'the first column starts at the left edge');
  near(columns[11].left + columns[11].width, 1, 1e-9, 'the last one ends at the right edge');
  for (let i = 1; i < columns.length; ++i) {
    const gap = columns[i].left - (columns[i - 1].left + columns[i - 1].width);
    // Standard band frequencies are rounded, so neighbours touch within a fraction of a percent.
    near(gap, 0, 0.003, `between columns ${i} and ${i + 1}`);
  }
});
