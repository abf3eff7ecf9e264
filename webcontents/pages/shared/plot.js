// Response plots: the channel EQ editor with draggable bands, the graphic EQ curve and the
// small curves on the strips and library slots. Curves are kept per band, so that a drag
// recomputes only the band that moves.
(function (root) {
  'use strict';
  var Q = root.ZephEq;
  var M = root.ZephModel;

  var BAND_COLORS = ['#e6a23c', '#e8d44d', '#5fd18b', '#58a6e8'];
  var HPF_COLOR = '#b78be0';
  var GRID_FREQS = [20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000];

  var perf = { frames: 0, drawMs: 0 };

  // Canvas sized to its box at the screen's pixel density; returns the context or null.
  function fitCanvas(canvas) {
    var ratio = window.devicePixelRatio || 1;
    var w = Math.max(1, Math.round(canvas.clientWidth * ratio));
    var h = Math.max(1, Math.round(canvas.clientHeight * ratio));
    if (canvas.width !== w || canvas.height !== h) {
      canvas.width = w;
      canvas.height = h;
    }
    var ctx = canvas.getContext('2d');
    ctx.setTransform(ratio, 0, 0, ratio, 0, 0);
    return ctx;
  }

  function drawCurve(ctx, curve, w, yOf, close) {
    ctx.beginPath();
    for (var i = 0; i < curve.length; ++i) {
      var x = i / (curve.length - 1) * w;
      var y = yOf(curve[i]);
      if (i === 0) ctx.moveTo(x, y);
      else ctx.lineTo(x, y);
    }
    if (close) {
      ctx.lineTo(w, yOf(0));
      ctx.lineTo(0, yOf(0));
      ctx.closePath();
    }
  }

  function drawGrid(ctx, w, h, dbRange, dbStep, labels, axis) {
    axis = axis || Q.FULL_AXIS;
    ctx.fillStyle = '#161c23';
    ctx.fillRect(0, 0, w, h);
    ctx.lineWidth = 1;
    ctx.font = '10px Roboto, "Segoe UI", sans-serif';
    ctx.fillStyle = '#8f9598';
    GRID_FREQS.forEach(function (f, i) {
      if (f < axis.min || f > axis.max) return;
      var x = Math.round(Q.axisUnit(axis, f) * w) + 0.5;
      ctx.strokeStyle = '#2b3540';
      ctx.beginPath();
      ctx.moveTo(x, 0);
      ctx.lineTo(x, h);
      ctx.stroke();
      // A narrow plot labels only the decades.
      var shown = i > 0 && i < GRID_FREQS.length - 1 && (w > 480 || [100, 1000, 10000].indexOf(f) >= 0);
      if (labels && shown) {
        var text = f >= 1000 ? f / 1000 + ' kHz' : f + ' Hz';
        // A label that would run off the right edge goes to the left of its line.
        var width = ctx.measureText(text).width;
        ctx.fillText(text, x + 2 + width > w ? x - 2 - width : x + 2, h - 3);
      }
    });
    var levels = [0];
    for (var step = dbStep; step < dbRange; step += dbStep) levels.push(step, -step);
    levels.forEach(function (db) {
      var y = Math.round(h / 2 - db / dbRange * (h / 2)) + 0.5;
      ctx.strokeStyle = db === 0 ? '#4b5563' : '#2b3540';
      ctx.beginPath();
      ctx.moveTo(0, y);
      ctx.lineTo(w, y);
      ctx.stroke();
      if (labels) ctx.fillText((db > 0 ? '+' : db < 0 ? '−' : '') + Math.abs(db) + ' dB', 3, y - 2);
    });
  }

  // The channel EQ editor. options: channel() returns the channel object, changed(what)
  // after the plot has edited it ('band' or 'hpf'), selected(index) when a band is chosen.
  function EqPlot(canvas, options) {
    this.canvas = canvas;
    this.options = options;
    this.dbRange = 18;
    this.selected = 0; // 0..3 a band, 4 the high-pass
    this.freqs = null;
    this.cache = {};
    this.pending = false;
    var self = this;
    canvas.tabIndex = 0;
    canvas.setAttribute('role', 'application');
    canvas.setAttribute('aria-label', 'EQ response: drag a band, or keys 1 to 4 and H to choose, arrows to move, + and − for Q, Delete for flat');
    canvas.addEventListener('pointerdown', function (e) { self.pointerDown(e); });
    canvas.addEventListener('pointermove', function (e) { self.pointerMove(e); });
    canvas.addEventListener('pointerup', function () { self.drag = null; });
    canvas.addEventListener('pointercancel', function () { self.drag = null; });
    canvas.addEventListener('wheel', function (e) { self.wheel(e); }, { passive: false });
    canvas.addEventListener('keydown', function (e) { self.key(e); });
    canvas.addEventListener('dblclick', function (e) { self.doubleClick(e); });
    if (window.ResizeObserver) new ResizeObserver(function () { self.invalidate(); }).observe(canvas);
  }

  EqPlot.prototype.invalidate = function () { this.cache = {}; this.schedule(); };

  // Several edits within one frame draw once.
  EqPlot.prototype.schedule = function () {
    var self = this;
    if (this.pending) return;
    this.pending = true;
    requestAnimationFrame(function () { self.pending = false; self.draw(); });
  };

  EqPlot.prototype.curve = function (key, signature, compute) {
    var hit = this.cache[key];
    if (hit && hit.signature === signature) return hit.curve;
    var curve = compute();
    this.cache[key] = { signature: signature, curve: curve };
    return curve;
  };

  EqPlot.prototype.draw = function () {
    var started = performance.now();
    var ctx = fitCanvas(this.canvas);
    var w = this.canvas.clientWidth, h = this.canvas.clientHeight;
    if (w < 2 || h < 2) return;
    var points = Math.min(512, Math.max(64, Math.round(w / 2)));
    if (!this.freqs || this.freqs.length !== points) {
      this.freqs = Q.logFrequencies(points);
      this.cache = {};
    }
    var freqs = this.freqs;
    var ch = this.options.channel();
    var self = this;
    var range = this.dbRange;
    var yOf = function (db) { return h / 2 - Math.max(-range - 2, Math.min(range + 2, db)) / range * (h / 2); };
    drawGrid(ctx, w, h, range, 6, w > 200);

    var bands = ch.eq.bands.map(function (b, i) {
      return self.curve('b' + i, [b.type, b.freq_hz, b.gain_db, b.q].join(), function () { return Q.bandResponse(b, freqs); });
    });
    var hpf = ch.hpf.on ? this.curve('hpf', String(ch.hpf.freq_hz), function () { return Q.hpfResponse(ch.hpf.freq_hz, freqs); }) : null;
    var active = ch.eq.on ? bands.filter(function (c, i) { return ch.eq.bands[i].on; }) : [];
    var total = Q.sum(active.concat([hpf]), points);

    bands.forEach(function (c, i) {
      var on = ch.eq.on && ch.eq.bands[i].on;
      ctx.globalAlpha = on ? 0.16 : 0.05;
      ctx.fillStyle = BAND_COLORS[i];
      drawCurve(ctx, c, w, yOf, true);
      ctx.fill();
      ctx.globalAlpha = on ? 0.9 : 0.35;
      ctx.strokeStyle = BAND_COLORS[i];
      ctx.lineWidth = 1.25;
      drawCurve(ctx, c, w, yOf, false);
      ctx.stroke();
    });
    if (hpf) {
      ctx.globalAlpha = 0.9;
      ctx.strokeStyle = HPF_COLOR;
      ctx.lineWidth = 1.25;
      drawCurve(ctx, hpf, w, yOf, false);
      ctx.stroke();
    }
    ctx.globalAlpha = 1;
    ctx.strokeStyle = '#ffffff';
    ctx.lineWidth = 2.5;
    drawCurve(ctx, total, w, yOf, false);
    ctx.stroke();

    this.handles().forEach(function (hd) {
      var on = hd.index === 4 ? ch.hpf.on : ch.eq.on && ch.eq.bands[hd.index].on;
      ctx.beginPath();
      ctx.arc(hd.x, hd.y, hd.index === self.selected ? 10 : 8, 0, 2 * Math.PI);
      ctx.fillStyle = on ? hd.color : '#3f454c';
      ctx.fill();
      ctx.lineWidth = hd.index === self.selected ? 2.5 : 1;
      ctx.strokeStyle = hd.index === self.selected ? '#ffffff' : '#1c232c';
      ctx.stroke();
      ctx.fillStyle = on ? '#10151b' : '#c2c4c5';
      ctx.font = 'bold 11px Roboto, "Segoe UI", sans-serif';
      ctx.textAlign = 'center';
      ctx.textBaseline = 'middle';
      ctx.fillText(hd.label, hd.x, hd.y + 0.5);
      ctx.textAlign = 'start';
      ctx.textBaseline = 'alphabetic';
    });
    perf.frames += 1;
    perf.drawMs += performance.now() - started;
  };

  EqPlot.prototype.handles = function () {
    var ch = this.options.channel();
    var w = this.canvas.clientWidth, h = this.canvas.clientHeight, range = this.dbRange;
    var list = ch.eq.bands.map(function (b, i) {
      return { index: i, label: String(i + 1), color: BAND_COLORS[i], x: Q.freqToUnit(b.freq_hz) * w,
        y: h / 2 - b.gain_db / range * (h / 2) };
    });
    list.push({ index: 4, label: 'H', color: HPF_COLOR, x: Q.freqToUnit(ch.hpf.freq_hz) * w,
      y: h / 2 + 3 / range * (h / 2) });
    return list;
  };

  EqPlot.prototype.hit = function (e) {
    var box = this.canvas.getBoundingClientRect();
    var x = e.clientX - box.left, y = e.clientY - box.top;
    var best = null, bestDistance = 22 * 22;
    this.handles().forEach(function (hd) {
      var d = (hd.x - x) * (hd.x - x) + (hd.y - y) * (hd.y - y);
      if (d < bestDistance) { best = hd; bestDistance = d; }
    });
    return best;
  };

  EqPlot.prototype.select = function (index) {
    if (this.selected === index) return;
    this.selected = index;
    if (this.options.selected) this.options.selected(index);
    this.schedule();
  };

  EqPlot.prototype.pointerDown = function (e) {
    var hd = this.hit(e);
    if (!hd) return;
    this.canvas.focus();
    this.select(hd.index);
    this.drag = { pointer: e.pointerId };
    root.ZephControls.capture(this.canvas, e.pointerId);
    e.preventDefault();
  };

  EqPlot.prototype.pointerMove = function (e) {
    if (!this.drag) return;
    var box = this.canvas.getBoundingClientRect();
    var u = (e.clientX - box.left) / box.width;
    var gain = -((e.clientY - box.top) / box.height - 0.5) * 2 * this.dbRange;
    this.moveSelected(Q.unitToFreq(Math.min(1, Math.max(0, u))), gain);
  };

  EqPlot.prototype.moveSelected = function (freq, gain) {
    var ch = this.options.channel();
    if (this.selected === 4) {
      ch.hpf.freq_hz = M.clampNumber(freq, M.RANGES.hpf, ch.hpf.freq_hz);
      this.options.changed('hpf');
    } else {
      var b = ch.eq.bands[this.selected];
      b.freq_hz = M.clampNumber(freq, M.RANGES.bandFreq, b.freq_hz);
      if (gain !== null) b.gain_db = M.clampNumber(Math.round(gain * 2) / 2, M.RANGES.bandGain, b.gain_db);
      this.options.changed('band');
    }
    this.schedule();
  };

  EqPlot.prototype.changeQ = function (direction) {
    if (this.selected === 4) return;
    var b = this.options.channel().eq.bands[this.selected];
    b.q = M.clampNumber(b.q * Math.pow(2, direction / 12), M.RANGES.q, b.q);
    this.options.changed('band');
    this.schedule();
  };

  EqPlot.prototype.wheel = function (e) {
    var hd = this.hit(e);
    if (hd) this.select(hd.index);
    else if (document.activeElement !== this.canvas) return;
    this.changeQ(e.deltaY < 0 ? 1 : -1);
    e.preventDefault();
  };

  EqPlot.prototype.doubleClick = function (e) {
    var hd = this.hit(e);
    if (!hd) return;
    this.select(hd.index);
    this.resetSelected();
  };

  EqPlot.prototype.resetSelected = function () {
    var ch = this.options.channel();
    if (this.selected === 4) {
      this.moveSelected(80, null);
    } else {
      ch.eq.bands[this.selected].gain_db = 0;
      this.options.changed('band');
      this.schedule();
    }
  };

  EqPlot.prototype.key = function (e) {
    var ch = this.options.channel();
    var b = this.selected === 4 ? null : ch.eq.bands[this.selected];
    var freq = this.selected === 4 ? ch.hpf.freq_hz : b.freq_hz;
    var octave = e.shiftKey ? 1 / 3 : 1 / 12;
    switch (e.key) {
      case '1': case '2': case '3': case '4': this.select(Number(e.key) - 1); break;
      case 'h': case 'H': this.select(4); break;
      case 'ArrowLeft': this.moveSelected(freq / Math.pow(2, octave), null); break;
      case 'ArrowRight': this.moveSelected(freq * Math.pow(2, octave), null); break;
      case 'ArrowUp': case 'ArrowDown':
        if (b) this.moveSelected(freq, b.gain_db + (e.key === 'ArrowUp' ? 0.5 : -0.5) * (e.shiftKey ? 6 : 1));
        break;
      case '+': case '=': case 'PageUp': this.changeQ(1); break;
      case '-': case 'PageDown': this.changeQ(-1); break;
      case 'Delete': case 'Backspace': this.resetSelected(); break;
      default: return;
    }
    e.preventDefault();
  };

  // The graphic EQ's summed curve above its faders, on the axis the faders stand on.
  function drawGeq(canvas, geq, range) {
    var ctx = fitCanvas(canvas);
    var w = canvas.clientWidth, h = canvas.clientHeight;
    if (w < 2 || h < 2) return;
    range = range || 12;
    var axis = Q.geqAxis(M.GEQ_FREQS);
    drawGrid(ctx, w, h, range, 6, w > 200, axis);
    var freqs = Q.logFrequencies(Math.min(400, Math.max(64, Math.round(w / 2))), axis);
    var curve = Q.sum(geq.bands.map(function (b) { return Q.geqBandResponse(b, freqs); }), freqs.length);
    var yOf = function (db) { return h / 2 - Math.max(-range - 2, Math.min(range + 2, db)) / range * (h / 2); };
    ctx.globalAlpha = geq.on ? 0.2 : 0.06;
    ctx.fillStyle = '#6899c6';
    drawCurve(ctx, curve, w, yOf, true);
    ctx.fill();
    ctx.globalAlpha = geq.on ? 1 : 0.4;
    ctx.strokeStyle = geq.on ? '#ffffff' : '#8f9598';
    ctx.lineWidth = 2;
    drawCurve(ctx, curve, w, yOf, false);
    ctx.stroke();
    ctx.globalAlpha = 1;
    geq.bands.forEach(function (b) {
      ctx.fillStyle = '#6899c6';
      ctx.beginPath();
      ctx.arc(Q.axisUnit(axis, b.freq_hz) * w, yOf(b.gain_db), 3, 0, 2 * Math.PI);
      ctx.fill();
    });
    perf.frames += 1;
  }

  // A small curve without grid labels, for strips, output cards and library slots.
  function drawMini(canvas, curveOf, on) {
    var ctx = fitCanvas(canvas);
    var w = canvas.clientWidth, h = canvas.clientHeight;
    if (w < 2 || h < 2) return;
    var freqs = Q.logFrequencies(Math.max(32, Math.min(160, Math.round(w))));
    var curve = curveOf(freqs);
    var range = 15;
    var yOf = function (db) { return h / 2 - Math.max(-range - 2, Math.min(range + 2, db)) / range * (h / 2); };
    ctx.fillStyle = '#161c23';
    ctx.fillRect(0, 0, w, h);
    ctx.strokeStyle = '#2b3540';
    ctx.lineWidth = 1;
    ctx.beginPath();
    ctx.moveTo(0, Math.round(h / 2) + 0.5);
    ctx.lineTo(w, Math.round(h / 2) + 0.5);
    ctx.stroke();
    ctx.strokeStyle = on ? '#6899c6' : '#68757d';
    ctx.lineWidth = 1.5;
    drawCurve(ctx, curve, w, yOf, false);
    ctx.stroke();
  }

  // Small curves are drawn together on the next frame, after the layout has settled once,
  // rather than each forcing a layout of its own. A curve is drawn again only when its
  // signature (its data and width) changed.
  var queued = [];
  function miniLater(canvas, signature, curveOf, on) {
    if (!queued.length) requestAnimationFrame(flushMinis);
    queued.push({ canvas: canvas, signature: signature, curveOf: curveOf, on: on });
  }
  function flushMinis() {
    var jobs = queued;
    queued = [];
    var widths = jobs.map(function (j) { return j.canvas.clientWidth; });
    jobs.forEach(function (j, i) {
      var key = j.signature + '|' + widths[i];
      if (j.canvas.zephSignature === key) return;
      j.canvas.zephSignature = key;
      drawMini(j.canvas, j.curveOf, j.on);
    });
  }

  root.ZephPlot = { EqPlot: EqPlot, drawGeq: drawGeq, drawMini: drawMini, miniLater: miniLater, perf: perf,
    BAND_COLORS: BAND_COLORS, HPF_COLOR: HPF_COLOR };
}(this));
