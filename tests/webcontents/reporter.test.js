// Change notices: the first edit is reported at once with the right code and bank; edits the
// application has not fetched are reported again until a fetch has taken them.
'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const { Reporter, EchoFilter, CODES, keyOf } = require('../../webcontents/pages/shared/reporter.js');

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
  assert.equal(sent.length, 1);
  assert.equal(reporter.settled(), true);

  reporter.changed(7, 0);
  reporter.fetched(7, 0);
  reporter.changed(7, 0); // a drag goes on after the fetch
  assert.equal(sent.length, 2);
  runTimers();
  assert.equal(sent.length, 3, 'the edit after the fetch gets a notice of its own');
  assert.equal(reporter.settled(), false);
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
  assert.deepEqual(sent, []);
  assert.equal(reporter.settled(), true);
});

test('the echo filter knows the texts the page handed out, per data set', () => {
  const echo = new EchoFilter(3);
  ['a', 'b', 'c', 'd'].forEach((t) => echo.handedOut(2, 4, t));
  assert.equal(echo.isOwn(2, 4, 'd'), true);
  assert.equal(echo.isOwn(2, 4, 'b'), true);
  assert.equal(echo.isOwn(2, 4, 'a'), false, 'only the last few are kept');
  assert.equal(echo.isOwn(2, 5, 'd'), false, 'another bank');
  assert.equal(echo.isOwn(7, 0, 'd'), false, 'another data set');
});
