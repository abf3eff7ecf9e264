// Reading and writing the five data sets: clamping, names cut to length, members the page
// does not know kept, and the factory state (with a notice) for what cannot be read.
'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const shipped = require('./shippedpage.js');
const M = shipped('model.js');

const MODELS = ['ZEPH-2208', 'ZEPH-2208NET'];

function roundTrip(text, read) {
  const result = read(text);
  return { text: M.write(result.data), notice: result.notice, data: result.data };
}

test('factory texts read back unchanged, every data set and bank of both models', () => {
  for (const model of MODELS) {
    const sets = [[M.write(M.factory.current(model)), (t) => M.read.current(t, model)],
      [M.write(M.factory.library(true)), (t) => M.read.library(t, true)],
      [M.write(M.factory.library(false)), (t) => M.read.library(t, false)]];
    for (let b = 0; b < M.PRESET_BANKS; ++b) sets.push([M.write(M.factory.preset(model, b)), (t) => M.read.preset(t, model, b)]);
    for (let b = 0; b < M.PARTIAL_BANKS; ++b) sets.push([M.write(M.factory.partial(b)), (t) => M.read.partial(t, b)]);
    for (const [text, read] of sets) {
      const back = roundTrip(text, read);
      assert.deepEqual([back.notice, back.text], [null, text]);
    }
  }
  const current = M.factory.current('ZEPH-2208NET');
  assert.deepEqual([current.inputs[2].name, current.network_audio.tx[7].source], ['Acoustic', 'input 8']);
  assert.deepEqual([M.factory.preset('ZEPH-2208', 1).name, M.factory.preset('ZEPH-2208', 5).stored],
    ['Band Rehearsal', false]);
  assert.ok(!('network_audio' in M.factory.current('ZEPH-2208')));
});

test('values are clamped to their ranges and wrong types take the factory value', () => {
  const state = M.factory.current('ZEPH-2208NET');
  const ch = state.inputs[0];
  Object.assign(ch, { gain_db: 80, fader_db: -250, pan: 12.7, phantom: 'yes', mute: 1, name: 17 });
  ch.hpf.freq_hz = 5;
  ch.aux_sends_db = [20, 'loud', null, -6, -300];
  Object.assign(ch.eq.bands[1], { freq_hz: 30000, gain_db: -40, q: 0, type: 'notch', on: 'on' });
  const out = state.outputs[4];
  Object.assign(out, { level_db: 12, delay_ms: -5, mute: 'no' });
  out.geq.bands[3].gain_db = 20;
  out.geq.bands[4].gain_db = NaN;
  state.network_audio.latency_ms = 50;
  state.network_audio.sample_rate = 22050;

  const back = roundTrip(JSON.stringify(state), (t) => M.read.current(t, 'ZEPH-2208NET')).data;
  const c = back.inputs[0];
  assert.deepEqual([c.gain_db, c.fader_db, c.pan, c.hpf.freq_hz], [60, -100, 13, 20]);
  assert.deepEqual([c.phantom, c.mute, c.name], [false, false, 'Vocal 1']);
  assert.deepEqual(c.aux_sends_db, [10, -100, -100, -6, -100, -100]);
  assert.deepEqual(c.eq.bands[1], { type: 'peak', freq_hz: 20000, gain_db: -15, q: 0.3, on: true });
  const o = back.outputs[4];
  assert.deepEqual([o.level_db, o.delay_ms, o.mute, o.geq.bands[3].gain_db, o.geq.bands[4].gain_db],
    [10, 0, false, 12, 0]);
  assert.deepEqual([back.network_audio.latency_ms, back.network_audio.sample_rate], [5, 48000]);
});

test('names are cut to their lengths, by characters', () => {
  const state = M.factory.current('ZEPH-2208');
  state.inputs[1].name = 'Lead vocal microphone';
  state.outputs[0].name = 'Front of house left';
  state.inputs[2].name = 'Gtr 🎸🎸🎸🎸🎸🎸🎸🎸🎸';
  const back = M.read.current(JSON.stringify(state), 'ZEPH-2208').data;
  assert.deepEqual([back.inputs[1].name, back.outputs[0].name], ['Lead vocal m', 'Front of hou']);
  assert.equal(Array.from(back.inputs[2].name).length, M.NAME_LENGTHS.strip);
  assert.ok(!back.inputs[2].name.includes('\ufffd'));

  const preset = M.factory.preset('ZEPH-2208', 0);
  preset.name = 'A very long preset name indeed';
  assert.equal(M.read.preset(JSON.stringify(preset), 'ZEPH-2208', 0).data.name, 'A very long preset n');
  assert.equal(M.cleanDeviceName('Stage <left> & "right" / 100% \\ é'), 'Stage left  right  100  ');
});

test('members the page does not know survive a round trip', () => {
  const current = M.factory.current('ZEPH-2208');
  current.firmware = { version: '2.1', flags: [1, 2] };
  current.inputs[3].colour = 'red';
  current.inputs[3].eq.bands[2].slope = 3;
  current.inputs[3].hpf.order = 2;
  current.outputs[7].limiter = { on: true, threshold_db: -3 };
  current.inputs.push({ ch: 9, name: 'Talkback' });
  current.network_audio = { vendor: 'x' }; // not this model's: kept as it is
  const back = M.read.current(JSON.stringify(current), 'ZEPH-2208').data;
  assert.deepEqual([back.firmware, back.inputs[3].colour, back.inputs[3].eq.bands[2].slope, back.inputs[3].hpf.order],
    [current.firmware, 'red', 3, 2]);
  assert.deepEqual(back.outputs[7].limiter, current.outputs[7].limiter);
  assert.deepEqual([back.inputs[8], back.network_audio], [{ ch: 9, name: 'Talkback' }, { vendor: 'x' }]);

  const net = M.factory.current('ZEPH-2208NET');
  net.network_audio.clock = 'ptp';
  net.network_audio.tx[0].gain_db = -2;
  const netBack = M.read.current(JSON.stringify(net), 'ZEPH-2208NET').data.network_audio;
  assert.deepEqual([netBack.clock, netBack.tx[0].gain_db], ['ptp', -2]);

  const lib = M.factory.library(true);
  lib.entries[4].locked = true;
  lib.author = 'FOH';
  const libBack = M.read.library(JSON.stringify(lib), true).data;
  assert.deepEqual([libBack.entries[4].locked, libBack.author], [true, 'FOH']);

  const partial = M.factory.partial(0);
  partial.note = 'for Sunday';
  partial.inputs[0].future = { x: 1 };
  partial.inputs.push({ ch: 12, mute: true });
  const partialBack = M.read.partial(JSON.stringify(partial), 0).data;
  assert.deepEqual([partialBack.note, partialBack.inputs[0].future, partialBack.inputs[2]],
    ['for Sunday', { x: 1 }, { ch: 12, mute: true }]);

  const preset = M.factory.preset('ZEPH-2208', 2);
  preset.created = '2026-12-01';
  assert.equal(M.read.preset(JSON.stringify(preset), 'ZEPH-2208', 2).data.created, '2026-12-01');
});

test('an empty or unreadable data set gives the factory state and a notice', () => {
  const factoryText = M.write(M.factory.current('ZEPH-2208'));
  for (const [text, notice] of [[undefined, 'empty'], ['', 'empty'], ['  ', 'empty'], ['{}', 'empty'],
    ['{"inputs":', 'unreadable'], ['[1,2]', 'unreadable'], ['null', 'unreadable'], ['"text"', 'unreadable']]) {
    const result = M.read.current(text, 'ZEPH-2208');
    assert.equal(result.notice, notice, `notice for ${JSON.stringify(text)}`);
    assert.equal(M.write(result.data), factoryText);
  }
  const preset = M.read.preset('{}', 'ZEPH-2208', 1);
  assert.deepEqual([preset.notice, preset.data.name], ['empty', 'Band Rehearsal']);
  assert.deepEqual(M.read.partial('garbage', 7), { data: { name: '', stored: false }, notice: 'unreadable' });
  assert.equal(M.read.library('{}', false).data.entries[0].name, 'Male Vocal');
});

test('a data set with parts missing is completed from the factory state without a notice', () => {
  const result = M.read.current('{"inputs":[{"ch":1,"name":"Pastor","gain_db":41}],"extra":true}', 'ZEPH-2208');
  assert.equal(result.notice, null);
  const data = result.data;
  assert.deepEqual([data.inputs.length, data.outputs.length, data.inputs[0].eq.bands.length], [8, 8, 4]);
  assert.deepEqual([data.inputs[0].name, data.inputs[0].gain_db, data.inputs[0].pan], ['Pastor', 41, 0]);
  assert.deepEqual([data.inputs[5].name, data.model, data.extra], ['Bass DI', 'ZEPH-2208', true]);
  // Channel numbers follow the position, whatever the text said.
  const renumbered = M.read.current('{"inputs":[{"ch":5},{"ch":5}]}', 'ZEPH-2208').data;
  assert.deepEqual(renumbered.inputs.map((c) => c.ch), [1, 2, 3, 4, 5, 6, 7, 8]);
});
