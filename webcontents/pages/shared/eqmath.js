// Frequency responses of the console's filters: second-order sections with the well-known
// audio-EQ cookbook coefficients at the console's 48 kHz, evaluated on the unit circle.
// Shared by the page (global ZephEq) and the node tests.
(function (root, factory) {
  'use strict';
  if (typeof module === 'object' && module.exports) {
    module.exports = factory();
  } else {
    root.ZephEq = factory();
  }
}(this, function () {
  'use strict';

  var FS = 48000;
  var F_MIN = 20;
  var F_MAX = 20000;
  // The console's high-pass is a Butterworth section: -3 dB at its corner.
  var HPF_Q = Math.SQRT1_2;
  // Twelve bands two-thirds of an octave apart; this Q makes neighbours meet near -3 dB.
  var GEQ_Q = Math.sqrt(Math.pow(2, 2 / 3)) / (Math.pow(2, 2 / 3) - 1);

  function normalise(b0, b1, b2, a0, a1, a2) {
    return { b0: b0 / a0, b1: b1 / a0, b2: b2 / a0, a1: a1 / a0, a2: a2 / a0 };
  }

  function coefficients(type, freq, gainDb, q) {
    var w0 = 2 * Math.PI * Math.min(freq, FS / 2 - 1) / FS;
    var cosw = Math.cos(w0);
    var alpha = Math.sin(w0) / (2 * q);
    var A = Math.pow(10, gainDb / 40);
    var sqA = 2 * Math.sqrt(A) * alpha;
    switch (type) {
      case 'peak':
        return normalise(1 + alpha * A, -2 * cosw, 1 - alpha * A, 1 + alpha / A, -2 * cosw, 1 - alpha / A);
      case 'low_shelf':
        return normalise(A * ((A + 1) - (A - 1) * cosw + sqA), 2 * A * ((A - 1) - (A + 1) * cosw),
          A * ((A + 1) - (A - 1) * cosw - sqA), (A + 1) + (A - 1) * cosw + sqA,
          -2 * ((A - 1) + (A + 1) * cosw), (A + 1) + (A - 1) * cosw - sqA);
      case 'high_shelf':
        return normalise(A * ((A + 1) + (A - 1) * cosw + sqA), -2 * A * ((A - 1) + (A + 1) * cosw),
          A * ((A + 1) + (A - 1) * cosw - sqA), (A + 1) - (A - 1) * cosw + sqA,
          2 * ((A - 1) - (A + 1) * cosw), (A + 1) - (A - 1) * cosw - sqA);
      case 'highpass':
        return normalise((1 + cosw) / 2, -(1 + cosw), (1 + cosw) / 2, 1 + alpha, -2 * cosw, 1 - alpha);
      default:
        throw new Error('unknown filter type ' + type);
    }
  }

  // |H(e^jw)| in dB at frequency f.
  function magnitudeDb(c, f) {
    var w = 2 * Math.PI * f / FS;
    var c1 = Math.cos(w), s1 = Math.sin(w), c2 = Math.cos(2 * w), s2 = Math.sin(2 * w);
    var nr = c.b0 + c.b1 * c1 + c.b2 * c2, ni = -(c.b1 * s1 + c.b2 * s2);
    var dr = 1 + c.a1 * c1 + c.a2 * c2, di = -(c.a1 * s1 + c.a2 * s2);
    return 10 * Math.log10((nr * nr + ni * ni) / (dr * dr + di * di));
  }

  // Frequencies spread evenly on a log axis, from 20 Hz to 20 kHz unless given an axis.
  function logFrequencies(count, axis) {
    var min = axis ? axis.min : F_MIN;
    var out = new Float64Array(count);
    var span = Math.log((axis ? axis.max : F_MAX) / min);
    for (var i = 0; i < count; ++i) out[i] = min * Math.exp(span * i / (count - 1));
    return out;
  }

  function response(c, freqs) {
    var out = new Float64Array(freqs.length);
    for (var i = 0; i < freqs.length; ++i) out[i] = magnitudeDb(c, freqs[i]);
    return out;
  }

  function bandResponse(band, freqs) {
    return response(coefficients(band.type, band.freq_hz, band.gain_db, band.q), freqs);
  }

  function hpfResponse(freq, freqs) {
    return response(coefficients('highpass', freq, 0, HPF_Q), freqs);
  }

  function geqBandResponse(band, freqs) {
    return response(coefficients('peak', band.freq_hz, band.gain_db, GEQ_Q), freqs);
  }

  // The sum of several responses in dB (cascaded sections multiply, so their dB values add).
  function sum(curves, count) {
    var out = new Float64Array(count);
    curves.forEach(function (c) {
      if (!c) return;
      for (var i = 0; i < count; ++i) out[i] += c[i];
    });
    return out;
  }

  // What a channel's EQ and high-pass do together, band by band and summed.
  function channelCurves(channel, freqs) {
    var bands = channel.eq.bands.map(function (b) { return bandResponse(b, freqs); });
    var hpf = channel.hpf.on ? hpfResponse(channel.hpf.freq_hz, freqs) : null;
    var active = channel.eq.on ? bands.filter(function (c, i) { return channel.eq.bands[i].on; }) : [];
    return { bands: bands, hpf: hpf, total: sum(active.concat([hpf]), freqs.length) };
  }

  function geqCurve(geq, freqs) {
    if (!geq.on) return new Float64Array(freqs.length);
    return sum(geq.bands.map(function (b) { return geqBandResponse(b, freqs); }), freqs.length);
  }

  // Position on a log axis, 0 at 20 Hz and 1 at 20 kHz, and back.
  function freqToUnit(f) { return Math.log(f / F_MIN) / Math.log(F_MAX / F_MIN); }
  function unitToFreq(u) { return F_MIN * Math.pow(F_MAX / F_MIN, u); }

  var FULL_AXIS = { min: F_MIN, max: F_MAX };

  function axisUnit(axis, f) { return Math.log(f / axis.min) / Math.log(axis.max / axis.min); }

  // A graphic EQ's plot ends half a band beyond its outer bands, so that its faders, one
  // column each, fill the plot's width and still stand each on its own band.
  function geqAxis(freqs) {
    var n = freqs.length;
    var half = Math.sqrt(Math.pow(freqs[n - 1] / freqs[0], 1 / (n - 1)));
    return { min: freqs[0] / half, max: freqs[n - 1] * half };
  }

  // Where each fader column goes, as fractions of the plot's width: its centre is its band's
  // place on the plot's axis.
  function geqColumns(freqs) {
    var axis = geqAxis(freqs);
    var width = 1 / freqs.length;
    return Array.prototype.map.call(freqs, function (f) {
      var centre = axisUnit(axis, f);
      return { centre: centre, left: centre - width / 2, width: width };
    });
  }

  return {
    FS: FS, F_MIN: F_MIN, F_MAX: F_MAX, HPF_Q: HPF_Q, GEQ_Q: GEQ_Q,
    coefficients: coefficients, magnitudeDb: magnitudeDb, logFrequencies: logFrequencies,
    bandResponse: bandResponse, hpfResponse: hpfResponse, geqBandResponse: geqBandResponse,
    sum: sum, channelCurves: channelCurves, geqCurve: geqCurve,
    freqToUnit: freqToUnit, unitToFreq: unitToFreq, FULL_AXIS: FULL_AXIS, axisUnit: axisUnit,
    geqAxis: geqAxis, geqColumns: geqColumns
  };
}));
