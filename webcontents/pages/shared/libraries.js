// The EQ libraries: sixteen named curves each, for the channels' parametric EQ and for the
// outputs' graphic EQ. A slot is stored from one channel or output and applied to another.
(function (root) {
  'use strict';
  var M = root.ZephModel;
  var Q = root.ZephEq;
  var B = root.ZephBanks;
  var C = root.ZephControls;
  var Plot = root.ZephPlot;
  var P = root.ZephPage;
  var el = C.el;
  var app = P.app;

  var panels = [];

  // kind: what one panel works on.
  var KINDS = [
    { twelve: false, code: 4, title: 'Channel EQ library (4-band)', target: 'Channel', count: M.INPUTS,
      lib: function () { return app.data.eq4; },
      eqOf: function (i) { return app.data.current.inputs[i].eq; },
      nameOf: function (i) { return app.data.current.inputs[i].name; },
      curve: function (bands, freqs) {
        return Q.sum(bands.filter(function (b) { return b.on; }).map(function (b) { return Q.bandResponse(b, freqs); }), freqs.length);
      } },
    { twelve: true, code: 3, title: 'Output EQ library (12-band)', target: 'Output', count: M.OUTPUTS,
      lib: function () { return app.data.eq12; },
      eqOf: function (i) { return app.data.current.outputs[i].geq; },
      nameOf: function (i) { return app.data.current.outputs[i].name; },
      curve: function (bands, freqs) { return Q.geqCurve({ on: true, bands: bands }, freqs); } }
  ];

  function buildPanel(kind) {
    var panel = { kind: kind, target: 0, rows: [] };
    var targetChoice = C.choice({ label: kind.target,
      options: Array.apply(null, Array(kind.count)).map(function (x, i) { return { value: i, text: kind.target + ' ' + (i + 1) }; }),
      get: function () { return panel.target; }, set: function (v) { panel.target = v; refreshPanel(panel); },
      def: function () { return 0; } });
    panel.targetName = el('span', { cls: 'target-name' });
    var list = el('div', { cls: 'slot-list' });
    for (var s = 0; s < M.LIBRARY_SLOTS; ++s) list.appendChild(buildSlot(panel, s));
    panel.node = el('div', { cls: 'group library' }, [el('h3', { text: kind.title }),
      el('div', { cls: 'row' }, [el('span', { cls: 'label', text: 'Store from / apply to' }), targetChoice.node, panel.targetName]),
      list]);
    panels.push(panel);
    return panel.node;
  }

  function buildSlot(panel, s) {
    var kind = panel.kind;
    var entry = function () { return kind.lib().entries[s]; };
    var curve = el('canvas', { cls: 'mini', 'aria-hidden': 'true' });
    var name = el('span', { cls: 'bank-name' });
    var store = el('button', { type: 'button', cls: 'plain', text: 'Store', onclick: function () {
      var used = !!entry().name;
      var from = kind.target + ' ' + (panel.target + 1);
      P.ask({
        title: used ? 'Overwrite slot ' + (s + 1) + ' “' + entry().name + '”?' : 'Store in slot ' + (s + 1),
        text: 'The slot takes the EQ of ' + from + ' (' + kind.nameOf(panel.target) + ').',
        confirm: used ? 'Overwrite' : 'Store',
        name: { value: used ? entry().name : kind.nameOf(panel.target) || from, maxLength: M.NAME_LENGTHS.bank },
        done: function (text) {
          P.ownStep(kind.code, 0, function () {
            B.storeLibrary(kind.lib(), s, text || from, kind.eqOf(panel.target).bands);
          });
        }
      });
    } });
    var apply = el('button', { type: 'button', cls: 'plain', text: 'Apply', onclick: function () {
      // No question first: the EQ it replaces is one undo away.
      P.ownStep(7, 0, function () { B.applyLibrary(kind.eqOf(panel.target), entry()); });
    } });
    var clear = el('button', { type: 'button', cls: 'plain', text: 'Clear', onclick: function () {
      P.ask({ title: 'Clear slot ' + (s + 1) + ' “' + entry().name + '”?', text: 'The slot holds a flat curve again.',
        confirm: 'Clear', done: function () { P.ownStep(kind.code, 0, function () { B.clearLibrary(kind.lib(), s, kind.twelve); }); } });
    } });
    var row = el('div', { cls: 'slot-row' }, [el('span', { cls: 'bank-number', text: String(s + 1) }), name, curve, store, apply, clear]);
    panel.rows[s] = { row: row, name: name, curve: curve, apply: apply, clear: clear };
    return row;
  }

  function refreshPanel(panel) {
    var kind = panel.kind;
    panel.targetName.textContent = kind.nameOf(panel.target) || '';
    panel.rows.forEach(function (r, s) {
      var e = kind.lib().entries[s];
      r.row.classList.toggle('stored', !!e.name);
      r.name.textContent = e.name || '—';
      r.apply.disabled = !e.name;
      r.apply.title = e.name ? 'Apply “' + e.name + '” to ' + kind.target + ' ' + (panel.target + 1) : 'Empty slot';
      r.clear.disabled = !e.name;
      Plot.miniLater(r.curve, JSON.stringify([e.bands, !!e.name]), function (freqs) { return kind.curve(e.bands, freqs); }, !!e.name);
    });
  }

  P.section({
    id: 'library', title: 'EQ libraries',
    build: function (node) {
      node.appendChild(el('p', { cls: 'section-help', text: 'Store the EQ of a channel or an output in a named slot; ' +
        'apply a slot to replace the EQ bands of the channel or output chosen above it.' }));
      node.appendChild(el('div', { cls: 'library-layout' }, KINDS.map(buildPanel)));
    },
    shown: function () { panels.forEach(function (p) { p.rows.forEach(function (r) { r.curve.zephSignature = ''; }); refreshPanel(p); }); },
    refresh: function () { panels.forEach(refreshPanel); }
  });
}(this));
