// Outputs: the mains and the six monitor mixes, each with level, mute, delay and its graphic
// EQ, whose twelve faders stand under their bands on the curve they make.
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
  var cards = [];
  var detail = null;
  var geqCanvas = null;
  var geqSignature = '';

  function output(o) { return app.data.current.outputs[o]; }
  function current() { P.edited(7, 0); }

  function buildCard(o) {
    var head = el('button', { type: 'button', cls: 'strip-head', title: 'Show output ' + (o + 1),
      onclick: function () { select(o); } }, [el('span', { cls: 'strip-number', text: String(o + 1) })]);
    head.addEventListener('keydown', function (e) { C.stripKeys(e, o, M.OUTPUTS, select); });
    var name = el('span', { cls: 'strip-name' });
    head.appendChild(name);
    var curve = el('canvas', { cls: 'mini', 'aria-hidden': 'true' });
    curve.addEventListener('click', function () { select(o); });
    var info = el('span', { cls: 'strip-gain' });
    var level = C.slider({ label: 'Level ' + (o + 1), vertical: true, range: M.RANGES.level,
      get: function () { return output(o).level_db; }, set: function (v) { output(o).level_db = v; current(); },
      def: function () { return M.outputDefault(o).level_db; } });
    var mute = C.toggle({ label: 'Mute output ' + (o + 1), text: 'Mute', cls: 'mute',
      get: function () { return output(o).mute; }, set: function (v) { output(o).mute = v; current(); },
      def: function () { return false; } });
    var node = el('div', { cls: 'strip output' }, [head, info, curve, level.node, mute.node]);
    cards[o] = { node: node, name: name, info: info, curve: curve };
    return node;
  }

  function refreshCard(o) {
    var card = cards[o];
    var out = output(o);
    card.node.classList.toggle('selected', o === selected);
    card.node.classList.toggle('muted', out.mute);
    card.name.textContent = out.name || '—';
    card.info.textContent = C.formatNumber(out.delay_ms, M.RANGES.delay) + (out.geq.on ? ' · GEQ' : '');
    Plot.miniLater(card.curve, JSON.stringify(out.geq), function (freqs) { return Q.geqCurve(out.geq, freqs); }, out.geq.on);
  }

  function geqChanged() {
    current();
    drawGeq();
  }

  function drawGeq() {
    var out = output(selected);
    var signature = JSON.stringify([out.geq, geqCanvas.clientWidth, geqCanvas.clientHeight]);
    if (signature === geqSignature) return;
    geqSignature = signature;
    Plot.drawGeq(geqCanvas, out.geq, 15);
  }

  function buildDetail(container) {
    var o = selected;
    var out = function () { return output(o); };
    var def = M.outputDefault(o);
    container.textContent = '';
    var prev = el('button', { type: 'button', cls: 'icon', 'aria-label': 'Previous output', title: 'Previous output',
      onclick: function () { select((o + M.OUTPUTS - 1) % M.OUTPUTS); } }, ['◀']);
    var next = el('button', { type: 'button', cls: 'icon', 'aria-label': 'Next output', title: 'Next output',
      onclick: function () { select((o + 1) % M.OUTPUTS); } }, ['▶']);
    var name = C.nameField({ label: 'Output ' + (o + 1) + ' name', maxLength: M.NAME_LENGTHS.strip,
      get: function () { return out().name; }, set: function (v) { out().name = v; current(); } });
    var level = C.slider({ label: 'Level', range: M.RANGES.level,
      get: function () { return out().level_db; }, set: function (v) { out().level_db = v; current(); },
      def: function () { return def.level_db; } });
    var mute = C.toggle({ label: 'Mute', text: 'Mute', cls: 'mute',
      get: function () { return out().mute; }, set: function (v) { out().mute = v; current(); },
      def: function () { return false; } });
    var delay = C.slider({ label: 'Delay', range: M.RANGES.delay,
      get: function () { return out().delay_ms; }, set: function (v) { out().delay_ms = v; current(); },
      def: function () { return def.delay_ms; } });
    var geqOn = C.toggle({ label: 'Graphic EQ on', text: 'GEQ',
      get: function () { return out().geq.on; }, set: function (v) { out().geq.on = v; geqChanged(); },
      def: function () { return def.geq.on; } });
    var flat = el('button', { type: 'button', cls: 'plain', text: 'Flat', title: 'Set all twelve bands to 0 dB',
      onclick: function () {
        P.ownStep(7, 0, function () { out().geq.bands.forEach(function (b) { b.gain_db = 0; }); });
        drawGeq();
      } });
    geqCanvas = el('canvas', { cls: 'geq-plot', 'aria-hidden': 'true' });
    geqSignature = '';
    var faders = el('div', { cls: 'geq-faders' });
    var columns = Q.geqColumns(M.GEQ_FREQS);
    M.GEQ_FREQS.forEach(function (f, i) {
      var fader = C.slider({ label: C.formatNumber(f, M.RANGES.bandFreq), vertical: true,
        range: Object.assign({ signed: true }, M.RANGES.geqGain),
        format: function (v) { return (v > 0 ? '+' : '') + v.toFixed(1).replace('-', '−'); },
        get: function () { return out().geq.bands[i].gain_db; },
        set: function (v) { out().geq.bands[i].gain_db = v; geqChanged(); },
        def: function () { return 0; } });
      var label = f >= 1000 ? (f / 1000) + 'k' : String(f);
      var band = el('div', { cls: 'geq-band' }, [fader.node, el('span', { cls: 'geq-freq', text: label })]);
      // Each fader stands under its band's place on the plot's axis.
      band.style.marginLeft = 'calc(' + (columns[i].left * 100) + '% + 1px)';
      band.style.width = 'calc(' + (columns[i].width * 100) + '% - 2px)';
      faders.appendChild(band);
    });
    container.appendChild(el('div', { cls: 'detail-head' }, [prev,
      el('span', { cls: 'detail-title', text: 'Output ' + (o + 1) }), next, name.node]));
    container.appendChild(el('div', { cls: 'detail-grid outputs' }, [
      el('div', { cls: 'group' }, [el('h3', { text: 'Output' }), level.node, delay.node, el('div', { cls: 'row' }, [mute.node])]),
      el('div', { cls: 'group geq' }, [el('h3', { text: 'Graphic EQ (12 bands, dB; Hz below)' }),
        el('div', { cls: 'row' }, [geqOn.node, flat]), geqCanvas, faders])
    ]));
    requestAnimationFrame(drawGeq);
  }

  function select(o) {
    selected = o;
    buildDetail(detail);
    cards.forEach(function (c, i) { refreshCard(i); });
    P.rememberView();
  }

  if (root.ResizeObserver) {
    new ResizeObserver(function () { geqSignature = ''; if (geqCanvas) drawGeq(); }).observe(document.documentElement);
  }

  P.section({
    id: 'outputs',
    title: 'Outputs',
    build: function (node) {
      detail = C.stripsOverDetail(node, M.OUTPUTS, buildCard, buildDetail);
    },
    shown: function (arg) {
      var o = Number(arg) - 1;
      if (o >= 0 && o < M.OUTPUTS && o !== selected) select(o);
      geqSignature = '';
      cards.forEach(function (c, i) { c.curve.zephSignature = ''; refreshCard(i); });
      requestAnimationFrame(drawGeq);
    },
    refresh: function () {
      cards.forEach(function (c, i) { refreshCard(i); });
      drawGeq();
    },
    selected: function () { return selected; }
  });
}(this));
