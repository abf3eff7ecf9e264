// Change notices: the first edit is reported at once with the right code and bank; edits the
// application has not fetched are reported again until a fetch has taken them.
'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const shipped = require('./shippedpage.js');
const { Reporter, EchoFilter, CODES, keyOf } = shipped('reporter.js');

function setup(options = {}) {
  const sent = [];
  const timers = [];
  const reporter = new Reporter(Object.assign({
    send: (type, bank) => sent.push([type, bank]),
    setTimeout: (f) => timers.push(f),
    maxTries: 3
  }, options));
  const runTimers = () => { const due = timers.splice(0); due.forEach((f) => f()); return due.length; };
  return { reporter, sent, runTimers };
}

test('the first edit of a data set is reported at once with its code and bank', () => {
  const { reporter, sent } = setup();
  reporter.changed(CODES.preset, 3);
  reporter.changed(CODES.partial, 39);
  reporter.changed(CODES.current, 0);
  reporter.changed(CODES.eq4, 0);
  assert.deepEqual(sent, [[2, 3], [6, 39], [7, 0], [4, 0]]);
  assert.equal(keyOf(7, 5), keyOf(7, 0), 'the bank matters only for presets and partial presets');
  assert.notEqual(keyOf(2, 1), keyOf(2, 2));
});

test('edits made after the fetch are reported again; a settled set stays quiet', () => {
  const { reporter, sent, runTimers } = setup();
  reporter.changed(7, 0);
  reporter.changed(7, 0); // while the first notice is out: no second notice yet
  assert.equal(sent.length, 1);
  reporter.fetched(7, 0); // the fetch takes both edits
  runTimers();
  assert.deepEqual([sent.length, reporter.settled()], [1, true]);

  reporter.changed(7, 0);
  reporter.fetched(7, 0);
  reporter.changed(7, 0); // a drag goes on after the fetch
  assert.equal(sent.length, 2);
  runTimers();
  assert.deepEqual([sent.length, reporter.settled()], [3, false], 'the edit after the fetch gets a notice of its own');
  reporter.fetched(7, 0);
  runTimers();
  assert.equal(reporter.settled(), true);
  assert.equal(runTimers(), 0);
});

test('a notice the application dropped is sent again, a bounded number of times', () => {
  const { reporter, sent, runTimers } = setup();
  reporter.changed(2, 1);
  runTimers();
  runTimers();
  assert.deepEqual(sent, [[2, 1], [2, 1], [2, 1]]);
  runTimers();
  assert.equal(sent.length, 3, 'gives up after maxTries');
  reporter.changed(2, 1);
  assert.equal(sent.length, 4, 'a new edit starts afresh');
});

test('without the application nothing is sent', () => {
  const { reporter, sent } = setup({ send: null });
  reporter.changed(7, 0);
  assert.deepEqual([sent, reporter.settled()], [[], true]);
});

// The device model answers every text the page hands out with a change signal, in the order
// it took them; anything else it reports is news the page must show.
test('an echo is dropped once; the same text later is news', () => {
  const echo = new EchoFilter();
  echo.loaded(7, 0, 'gain38');
  // mute on, mute off, gain +1: each fetched and stored in turn
  for (const text of ['gain38 mute', 'gain38', 'gain39']) {
    echo.handedOut(7, 0, text);
    assert.equal(echo.arrived(7, 0, text), true, `${text} is the page's own`);
  }
  // a transfer from the mixer, a reconnect or a roll-back brings an earlier state back
  assert.equal(echo.arrived(7, 0, 'gain38'), false, 'a text handed out earlier, already echoed');
  assert.equal(echo.arrived(7, 0, 'gain38 mute'), false);
  assert.equal(echo.arrived(7, 0, 'gain38 mute'), true, 'reported twice, shown once');
});

test('echoes that lag behind several hand-outs are each recognised, in order', () => {
  const echo = new EchoFilter();
  echo.loaded(2, 3, 'a');
  ['b', 'c', 'd'].forEach((t) => echo.handedOut(2, 3, t));
  assert.equal(echo.arrived(2, 3, 'b'), true);
  assert.equal(echo.arrived(2, 3, 'd'), true, 'c made no signal of its own; d overtakes it');
  assert.equal(echo.arrived(2, 3, 'c'), false, 'nothing is on its way any more');
  assert.equal(echo.arrived(2, 4, 'd'), false, 'another bank');
  assert.equal(echo.arrived(7, 0, 'd'), false, 'another data set');
});

test('a list signal repeating what the device holds shows nothing', () => {
  const echo = new EchoFilter();
  echo.loaded(6, 0, 'x');
  echo.loaded(6, 1, 'y');
  echo.handedOut(6, 1, 'y2');
  assert.equal(echo.arrived(6, 1, 'y2'), true);
  // a transfer stores the whole list: bank 0 unchanged, bank 1 back to its old text
  assert.equal(echo.arrived(6, 0, 'x'), true);
  assert.equal(echo.arrived(6, 1, 'y'), false);
  // fetched again without an edit: the device takes nothing new and says nothing
  echo.handedOut(6, 0, 'x');
  assert.equal(echo.arrived(6, 0, 'x2'), false);
});

test('after news, a late echo of an older hand-out is news too', () => {
  const echo = new EchoFilter();
  echo.loaded(7, 0, 'a');
  echo.handedOut(7, 0, 'b');
  assert.equal(echo.arrived(7, 0, 'mixer'), false, 'the transfer overtook the fetch');
  assert.equal(echo.arrived(7, 0, 'b'), false, 'the device holds b at last: the page shows it');
});

test('the hand-outs kept for their echo are bounded', () => {
  const echo = new EchoFilter(3);
  echo.loaded('name', 0, 'Stage');
  ['A', 'B', 'C', 'D'].forEach((t) => echo.handedOut('name', 0, t));
  assert.equal(echo.arrived('name', 0, 'A'), false, 'the oldest is no longer waited for');
  echo.handedOut('name', 0, 'E');
  assert.equal(echo.arrived('name', 0, 'E'), true);
});
