// Undo and redo: which edits make one step, what undoing and redoing put back, how far back
// the history goes, and what a change from outside the page does to it.
'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const shipped = require('./shippedpage.js');
const { History, forDevice, LIMIT } = shipped('history.js');

// A page holding a few sets as texts; `edit` changes one the way a control does.
function page(texts, options = {}) {
  const sets = Object.assign({}, texts);
  const history = new History(Object.assign({ textOf: (key) => sets[key] }, options));
  Object.keys(sets).forEach((key) => history.loaded(key, sets[key]));
  const edit = (key, text) => { sets[key] = text; history.record(key); };
  // What the page does with the sets handed back.
  const apply = (changes) => { (changes || []).forEach((c) => { sets[c.key] = c.text; }); return changes; };
  return { sets, history, edit, apply };
}

test('edits until the step closes are one step; undo and redo walk it both ways', () => {
  const { sets, history, edit, apply } = page({ '7:0': 'gain38', '2:1': 'empty' });
  assert.equal(history.canUndo(), false);
  edit('7:0', 'gain39');
  edit('7:0', 'gain40');
  assert.equal(history.canUndo(), true, 'an edit not yet in a step can be undone');
  assert.equal(history.commit(), true);
  edit('2:1', 'stored');
  edit('7:0', 'gain41');
  history.commit();

  assert.deepEqual(apply(history.undo()), [{ key: '2:1', text: 'empty' }, { key: '7:0', text: 'gain40' }]);
  assert.deepEqual(apply(history.undo()), [{ key: '7:0', text: 'gain38' }], 'two edits, one step');
  assert.deepEqual([history.undo(), history.canUndo(), history.canRedo()], [null, false, true]);
  apply(history.redo());
  apply(history.redo());
  assert.deepEqual(sets, { '7:0': 'gain41', '2:1': 'stored' });
  assert.equal(history.redo(), null);
});

test('a step that changes nothing is no step, also from a text spelt differently', () => {
  // The device wrote its text with spaces; the page writes it without.
  const canonical = (key, text) => text.replace(/ /g, '');
  const { history, edit } = page({ '7:0': '{"a": 1}' }, { canonical });
  edit('7:0', '{"a":1}');
  assert.equal(history.commit(), false);
  assert.equal(history.canUndo(), false);
  edit('7:0', '{"a":2}');
  history.commit();
  assert.deepEqual(history.undo(), [{ key: '7:0', text: '{"a":1}' }], 'back to the page\'s spelling');
});

test('an edit after an undo ends what could be redone', () => {
  const { history, edit, apply } = page({ k: 'a' });
  edit('k', 'b');
  history.commit();
  apply(history.undo());
  edit('k', 'c');
  assert.equal(history.canRedo(), false, 'an open edit already blocks redo');
  history.commit();
  assert.equal(history.redo(), null);
  assert.deepEqual(history.undo(), [{ key: 'k', text: 'a' }]);
});

test('undo closes the step still open first', () => {
  const { history, edit } = page({ k: 'a' });
  edit('k', 'b');
  history.commit();
  edit('k', 'c');
  assert.deepEqual(history.undo(), [{ key: 'k', text: 'b' }]);
});

test(`the history keeps the last ${LIMIT} steps`, () => {
  assert.ok(LIMIT >= 100);
  const { sets, history, edit, apply } = page({ k: '0' });
  for (let i = 1; i <= LIMIT + 20; ++i) {
    edit('k', String(i));
    history.commit();
  }
  let undone = 0;
  while (apply(history.undo())) ++undone;
  assert.deepEqual([undone, sets.k], [LIMIT, '20'], 'the oldest steps went');
  let redone = 0;
  while (apply(history.redo())) ++redone;
  assert.deepEqual([redone, sets.k], [LIMIT, String(LIMIT + 20)]);
});

test('a set replaced from outside ends its history; other sets keep theirs', () => {
  const { sets, history, edit, apply } = page({ current: 'c0', preset: 'p0' });
  edit('current', 'c1');
  history.commit();
  edit('preset', 'p1');
  history.commit();
  edit('current', 'c2');
  edit('preset', 'p2');
  history.commit();
  edit('current', 'c3'); // not yet in a step
  // a transfer from the mixer replaces the current settings
  sets.current = 'mixer';
  history.replaced('current', 'mixer');
  assert.deepEqual(apply(history.undo()), [{ key: 'preset', text: 'p0' }],
    'only the step that leaves the current settings alone is left');
  assert.equal(history.undo(), null);
  assert.equal(sets.current, 'mixer', 'no old state is written over what the mixer sent');
  edit('current', 'c4');
  history.commit();
  assert.deepEqual(history.undo(), [{ key: 'current', text: 'mixer' }], 'new edits start from it');
});

test('each device has a history of its own', () => {
  const options = { textOf: () => 'x' };
  const first = forDevice('device 0', options);
  assert.equal(forDevice('device 0', options), first);
  const second = forDevice('device 1', options);
  assert.notEqual(second, first);
  first.loaded('k', 'a');
  first.record('k');
  first.commit();
  assert.deepEqual([first.canUndo(), second.canUndo()], [true, false]);
});
