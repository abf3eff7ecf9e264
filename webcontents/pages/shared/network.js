// Network audio (ZEPH-2208NET): the stream's sample rate and latency, and what each of the
// eight transmit channels carries.
(function (root) {
  'use strict';
  var M = root.ZephModel;
  var C = root.ZephControls;
  var P = root.ZephPage;
  var el = C.el;
  var app = P.app;

  function net() { return app.data.current.network_audio; }
  function current() { P.edited(7, 0); }

  function sourceText(s) {
    var m = /^(input|monitor) (\d)$/.exec(s);
    if (m) return (m[1] === 'input' ? 'Input ' : 'Monitor ') + m[2];
    return s === 'off' ? 'Off' : s.replace('main', 'Main');
  }

  P.section({
    id: 'network', title: 'Network audio', netOnly: true,
    build: function (node) {
      var rate = C.choice({ label: 'Sample rate',
        options: M.SAMPLE_RATES.map(function (r) { return { value: r, text: (r / 1000) + ' kHz' }; }),
        get: function () { return net().sample_rate; }, set: function (v) { net().sample_rate = v; current(); },
        def: function () { return 48000; } });
      var latency = C.choice({ label: 'Latency',
        options: M.LATENCIES.map(function (l) { return { value: l, text: l + ' ms' }; }),
        get: function () { return net().latency_ms; }, set: function (v) { net().latency_ms = v; current(); },
        def: function () { return 1; } });
      var rows = [];
      for (var i = 0; i < M.INPUTS; ++i) {
        (function (i) {
          var source = C.choice({ label: 'Transmit channel ' + (i + 1) + ' source',
            options: M.NET_SOURCES.map(function (s) { return { value: s, text: sourceText(s) }; }),
            get: function () { return net().tx[i].source; }, set: function (v) { net().tx[i].source = v; current(); },
            def: function () { return 'input ' + (i + 1); } });
          rows.push(el('div', { cls: 'tx-row' }, [el('span', { cls: 'bank-number', text: 'TX ' + (i + 1) }), source.node]));
        }(i));
      }
      node.appendChild(el('p', { cls: 'section-help', text: 'The mixer sends eight channels to the audio network.' }));
      node.appendChild(el('div', { cls: 'detail-grid network' }, [
        el('div', { cls: 'group' }, [el('h3', { text: 'Stream' }),
          el('label', { cls: 'field' }, [el('span', { cls: 'label', text: 'Sample rate' }), rate.node]),
          el('label', { cls: 'field' }, [el('span', { cls: 'label', text: 'Latency' }), latency.node])]),
        el('div', { cls: 'group' }, [el('h3', { text: 'Transmit channels' })].concat(rows))
      ]));
    }
  });
}(this));
