// Inputs: the eight scribble strips side by side, and one channel in detail with its EQ plot.
(function (root) {
  'use strict';
  var M = root.ZephModel;
  var Q = root.ZephEq;
  var C = root.ZephControls;
  var Plot = root.ZephPlot;
  var P = root.ZephPage;
  var el = C.el;
  var app = P.app;

  var selected = 0;
  var strips = [];
  var detail = null;
  var plot = null;
  var bandRows = [];

  function input(ch) { return app.data.current.inputs[ch]; }
  function current() { P.edited(7, 0); }

  var panFormat = function (v) { return 'Pan ' + C.formatPan(v); };
  var sendRange = Object.assign({}, M.RANGES.send, { offText: 'off' });

  function buildStrip(ch) {
    var head = el('button', { type: 'button', cls: 'strip-head', title: 'Show channel ' + (ch + 1),
      onclick: function () { select(ch); } });
    head.addEventListener('keydown', function (e) { C.stripKeys(e, ch, M.INPUTS, select); });
    var number = el('span', { cls: 'strip-number', text: String(ch + 1) });
    var name = el('span', { cls: 'strip-name' });
    head.appendChild(number);
    head.appendChild(name);
    var gain = el('span', { cls: 'strip-gain' });
    var flags = el('div', { cls: 'strip-flags' });
    var curve = el('canvas', { cls: 'mini', 'aria-hidden': 'true' });
    curve.addEventListener('click', function () { select(ch); });
    var pan = C.slider({ label: 'Pan ' + (ch + 1), hideLabel: true, cls: 'strip-pan', range: M.RANGES.pan, format: C.formatPan,
      get: function () { return input(ch).pan; }, set: function (v) { input(ch).pan = v; current(); },
      def: function () { return 0; } });
    var fader = C.slider({ label: 'Fader ' + (ch + 1), vertical: true, range: M.RANGES.fader,
      get: function () { return input(ch).fader_db; }, set: function (v) { input(ch).fader_db = v; current(); },
      def: function () { return 0; } });
    var mute = C.toggle({ label: 'Mute ' + (ch + 1), text: 'Mute', cls: 'mute',
      get: function () { return input(ch).mute; }, set: function (v) { input(ch).mute = v; current(); },
      def: function () { return false; } });
    var node = el('div', { cls: 'strip' }, [head, gain, flags, curve, pan.node, fader.node, mute.node]);
    var strip = { node: node, name: name, gain: gain, flags: flags, curve: curve };
    strips[ch] = strip;
    return node;
  }

  function refreshStrip(ch) {
    var s = strips[ch];
    var c = input(ch);
    s.node.classList.toggle('selected', ch === selected);
    s.node.classList.toggle('muted', c.mute);
    s.name.textContent = c.name || '—';
    s.gain.textContent = C.formatNumber(c.gain_db, M.RANGES.gain);
    C.flags(s.flags, [{ text: '48V', on: c.phantom }, { text: 'Ø', on: c.polarity_invert, name: 'polarity', said: 'Polarity inverted' },
      { text: 'HPF', on: c.hpf.on }, { text: 'EQ', on: c.eq.on }]);
    Plot.miniLater(s.curve, JSON.stringify([c.eq, c.hpf]), function (freqs) { return Q.channelCurves(c, freqs).total; }, c.eq.on);
  }

  function group(title, children, cls) {
    return el('div', { cls: 'group' + (cls ? ' ' + cls : '') }, [el('h3', { text: title })].concat(children));
  }

  function buildBandRow(ch, i) {
    var band = function () { return input(ch).eq.bands[i]; };
    var ref = M.inputDefault(ch).eq.bands[i];
    var type = C.choice({ label: 'Band ' + (i + 1) + ' type',
      options: [{ value: 'low_shelf', text: 'Low shelf' }, { value: 'peak', text: 'Peak' }, { value: 'high_shelf', text: 'High shelf' }],
      get: function () { return band().type; }, set: function (v) { band().type = v; bandChanged(); },
      def: function () { return ref.type; } });
    var freq = C.slider({ label: 'Frequency', range: M.RANGES.bandFreq,
      get: function () { return band().freq_hz; }, set: function (v) { band().freq_hz = v; bandChanged(); },
      def: function () { return ref.freq_hz; } });
    var gain = C.slider({ label: 'Gain', range: Object.assign({ signed: true }, M.RANGES.bandGain),
      get: function () { return band().gain_db; }, set: function (v) { band().gain_db = v; bandChanged(); },
      def: function () { return 0; } });
    var q = C.slider({ label: 'Q', range: M.RANGES.q, format: function (v) { return 'Q ' + v.toFixed(2); },
      get: function () { return band().q; }, set: function (v) { band().q = v; bandChanged(); },
      def: function () { return ref.q; } });
    var on = C.toggle({ label: 'Band ' + (i + 1) + ' on', text: 'On',
      get: function () { return band().on; }, set: function (v) { band().on = v; bandChanged(); },
      def: function () { return true; } });
    var label = el('button', { type: 'button', cls: 'band-label', text: String(i + 1), title: 'Select band ' + (i + 1),
      onclick: function () { plot.select(i); } });
    label.style.background = Plot.BAND_COLORS[i];
    var row = el('div', { cls: 'band-row' }, [label, type.node, freq.node, gain.node, q.node, on.node]);
    bandRows[i] = row;
    return row;
  }

  function bandChanged() {
    current();
    if (plot) plot.schedule();
  }

  function buildDetail(container) {
    var ch = selected;
    var c = function () { return input(ch); };
    var def = M.inputDefault(ch);
    container.textContent = '';
    bandRows = [];
    var prev = el('button', { type: 'button', cls: 'icon', 'aria-label': 'Previous channel', title: 'Previous channel',
      onclick: function () { select((ch + M.INPUTS - 1) % M.INPUTS); } }, ['◀']);
    var next = el('button', { type: 'button', cls: 'icon', 'aria-label': 'Next channel', title: 'Next channel',
      onclick: function () { select((ch + 1) % M.INPUTS); } }, ['▶']);
    var name = C.nameField({ label: 'Channel ' + (ch + 1) + ' name', maxLength: M.NAME_LENGTHS.strip,
      get: function () { return c().name; }, set: function (v) { c().name = v; current(); } });

    var gain = C.slider({ label: 'Gain', range: M.RANGES.gain,
      get: function () { return c().gain_db; }, set: function (v) { c().gain_db = v; current(); },
      def: function () { return def.gain_db; } });
    var phantom = C.toggle({ label: '+48 V phantom power', text: '+48 V', cls: 'warn',
      get: function () { return c().phantom; }, set: function (v) { c().phantom = v; current(); },
      def: function () { return def.phantom; } });
    var polarity = C.toggle({ label: 'Polarity invert', text: 'Ø Polarity',
      get: function () { return c().polarity_invert; }, set: function (v) { c().polarity_invert = v; current(); },
      def: function () { return false; } });
    var hpfOn = C.toggle({ label: 'High-pass filter on', text: 'HPF',
      get: function () { return c().hpf.on; }, set: function (v) { c().hpf.on = v; bandChanged(); },
      def: function () { return def.hpf.on; } });
    var hpfFreq = C.slider({ label: 'Corner', range: M.RANGES.hpf,
      get: function () { return c().hpf.freq_hz; }, set: function (v) { c().hpf.freq_hz = v; bandChanged(); },
      def: function () { return def.hpf.freq_hz; } });
    var eqOn = C.toggle({ label: 'EQ on', text: 'EQ',
      get: function () { return c().eq.on; }, set: function (v) { c().eq.on = v; bandChanged(); },
      def: function () { return true; } });
    var canvas = el('canvas', { cls: 'eq-plot' });
    plot = new Plot.EqPlot(canvas, {
      channel: c,
      changed: function () { current(); },
      selected: function (i) { bandRows.forEach(function (r, k) { r.classList.toggle('selected', k === i); }); }
    });
    var bands = el('div', { cls: 'bands' }, [0, 1, 2, 3].map(function (i) { return buildBandRow(ch, i); }));
    bandRows[0].classList.add('selected');
    var fader = C.slider({ label: 'Fader', range: M.RANGES.fader,
      get: function () { return c().fader_db; }, set: function (v) { c().fader_db = v; current(); },
      def: function () { return 0; } });
    var mute = C.toggle({ label: 'Mute', text: 'Mute', cls: 'mute',
      get: function () { return c().mute; }, set: function (v) { c().mute = v; current(); },
      def: function () { return false; } });
    var pan = C.slider({ label: 'Pan', range: M.RANGES.pan, format: C.formatPan,
      get: function () { return c().pan; }, set: function (v) { c().pan = v; current(); },
      def: function () { return 0; } });
    var sends = [];
    for (var a = 0; a < M.SENDS; ++a) {
      sends.push((function (aux) {
        return C.slider({ label: app.data.current.outputs[aux + 2].name, cls: 'send', range: sendRange,
          get: function () { return c().aux_sends_db[aux]; },
          set: function (v) { c().aux_sends_db[aux] = v; current(); },
          def: function () { return -100; } }).node;
      }(a)));
    }

    container.appendChild(el('div', { cls: 'detail-head' }, [prev,
      el('span', { cls: 'detail-title', text: 'Channel ' + (ch + 1) }), next, name.node]));
    container.appendChild(el('div', { cls: 'detail-grid' }, [
      group('Preamp', [gain.node, el('div', { cls: 'row' }, [phantom.node, polarity.node])], 'preamp'),
      group('High-pass filter', [el('div', { cls: 'row' }, [hpfOn.node]), hpfFreq.node], 'hpf'),
      group('Fader', [fader.node, el('div', { cls: 'row' }, [mute.node]), pan.node], 'fader'),
      group('Parametric EQ', [el('div', { cls: 'row' }, [eqOn.node,
        el('span', { cls: 'hint', text: 'Drag a band; wheel or + − for Q; double-click for 0 dB' })]), canvas, bands], 'eq'),
      group('Monitor sends', sends, 'sends')
    ]));
    plot.schedule();
  }

  function select(ch) {
    if (ch === selected && detail.childNodes.length) return;
    selected = ch;
    buildDetail(detail);
    strips.forEach(function (s, i) { refreshStrip(i); });
    P.rememberView();
  }

  P.section({
    id: 'inputs',
    title: 'Inputs',
    build: function (node) {
      detail = C.stripsOverDetail(node, M.INPUTS, buildStrip, buildDetail);
    },
    shown: function (arg) {
      var ch = Number(arg) - 1;
      if (ch >= 0 && ch < M.INPUTS) select(ch);
      if (plot) plot.invalidate();
      strips.forEach(function (s, i) { s.curve.zephSignature = ''; refreshStrip(i); });
    },
    refresh: function () {
      strips.forEach(function (s, i) { refreshStrip(i); });
      if (plot) plot.schedule();
    },
    reloaded: function (type) {
      if (type === 7 && plot) plot.invalidate();
    },
    plot: function () { return plot; },
    selected: function () { return selected; }
  });
}(this));
