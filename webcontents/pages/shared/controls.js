// The page's controls: sliders, switches, choices and name fields that read and write the
// data through get/set functions, so that a reload of the data only needs refresh().
// Every control takes the focus in document order, moves with the arrow keys, resets to its
// default on double-click or Delete, and shows its unit.
(function (root, factory) {
  'use strict';
  if (typeof module === 'object' && module.exports) {
    module.exports = factory(require('./model.js'));
  } else {
    root.ZephControls = factory(root.ZephModel);
  }
}(this, function (M) {
  'use strict';

  var all = [];

  function el(tag, attrs, children) {
    var node = document.createElement(tag);
    if (attrs) {
      Object.keys(attrs).forEach(function (k) {
        var v = attrs[k];
        if (v === undefined || v === null || v === false) return;
        if (k === 'text') node.textContent = v;
        else if (k === 'cls') node.className = v;
        else if (k.slice(0, 2) === 'on') node.addEventListener(k.slice(2), v);
        else node.setAttribute(k, v === true ? '' : v);
      });
    }
    (children || []).forEach(function (c) {
      if (c) node.appendChild(typeof c === 'string' ? document.createTextNode(c) : c);
    });
    return node;
  }

  // Keeps a drag going outside the control; a pointer the browser does not know (a scripted
  // event) cannot be captured and simply is not.
  function capture(node, pointerId) {
    try {
      node.setPointerCapture(pointerId);
    } catch (e) {
      // nothing to capture
    }
  }

  function formatNumber(v, range) {
    if (range.offAt !== undefined && v <= range.offAt) return range.offText || '−∞ dB';
    if (range.unit === 'Hz') {
      return v >= 1000 ? (v / 1000).toFixed(v >= 10000 ? 1 : 2) + ' kHz' : Math.round(v) + ' Hz';
    }
    var text = v.toFixed(range.digits).replace('-', '−');
    if (range.signed && v > 0) text = '+' + text;
    return range.unit ? text + ' ' + range.unit : text;
  }

  function formatPan(v) {
    if (v === 0) return 'C';
    return (v < 0 ? 'L ' : 'R ') + Math.abs(v);
  }

  // Position 0..1 along a control. Level controls spend most of their travel on the upper
  // 60 dB, where an engineer works; frequencies and Q move on a log scale.
  function toUnit(v, r) {
    if (r.log) return Math.log(v / r.min) / Math.log(r.max / r.min);
    if (r.offAt !== undefined) {
      if (v <= -60) return 0.1 * (v - r.min) / (-60 - r.min);
      return 0.1 + 0.9 * (v + 60) / (r.max + 60);
    }
    return (v - r.min) / (r.max - r.min);
  }

  function fromUnit(u, r) {
    u = Math.min(1, Math.max(0, u));
    if (r.log) return r.min * Math.pow(r.max / r.min, u);
    if (r.offAt !== undefined) {
      if (u <= 0.1) return r.min + (u / 0.1) * (-60 - r.min);
      return -60 + (u - 0.1) / 0.9 * (r.max + 60);
    }
    return r.min + u * (r.max - r.min);
  }

  function stepValue(v, r, direction, big) {
    var n = big ? 10 : 1;
    if (r.log) return v * Math.pow(2, direction * r.step * n * (big ? 0.4 : 1));
    var step = r.step;
    if (r.offAt !== undefined && (v < -60 || (v === -60 && direction < 0))) step = 2;
    var next = v + direction * step * n;
    // Land on the grid of the step, so that keys give round values after a drag.
    return Math.round(next / step) * step;
  }

  // A horizontal or vertical slider with its value as text. options: range, get, set, def
  // (default value), label, vertical, format, title.
  function slider(options) {
    var r = options.range;
    var format = options.format || function (v) { return formatNumber(v, r); };
    var fill = el('div', { cls: 'fill' });
    var thumb = el('div', { cls: 'thumb' });
    var track = el('div', { cls: 'track' }, [fill, thumb]);
    var value = el('span', { cls: 'value' });
    var node = el('div', {
      cls: 'slider' + (options.vertical ? ' vertical' : '') + (options.cls ? ' ' + options.cls : ''),
      role: 'slider', tabindex: '0', 'aria-label': options.label, title: options.title ||
        (options.label ? options.label + ' (double-click or Delete: default)' : undefined)
    }, [options.label && !options.vertical && !options.hideLabel ? el('span', { cls: 'label', text: options.label }) : null,
      track, value]);
    if (options.hideLabel) node.classList.add('no-label');
    var control = { node: node, refresh: refresh, set: commit };

    function commit(v) {
      v = M.clampNumber(v, r, options.def());
      if (v !== options.get()) {
        options.set(v);
        refresh();
      }
    }

    var shown = null;
    function refresh() {
      var v = options.get();
      if (v === shown) return;
      shown = v;
      var u = toUnit(v, r);
      var bipolar = r.min < 0 && r.max > 0 && r.offAt === undefined;
      var z = bipolar ? toUnit(0, r) : 0;
      if (options.vertical) {
        // Bipolar values fill from the centre.
        fill.style.bottom = (Math.min(u, z) * 100) + '%';
        fill.style.height = (Math.abs(u - z) * 100) + '%';
        thumb.style.bottom = (u * 100) + '%';
      } else if (bipolar) {
        fill.style.left = (Math.min(u, z) * 100) + '%';
        fill.style.width = (Math.abs(u - z) * 100) + '%';
        thumb.style.left = (u * 100) + '%';
      } else {
        fill.style.left = '0';
        fill.style.width = (u * 100) + '%';
        thumb.style.left = (u * 100) + '%';
      }
      value.textContent = format(v);
      node.setAttribute('aria-valuenow', String(v));
      node.setAttribute('aria-valuetext', format(v));
    }

    function fromPointer(e) {
      var box = track.getBoundingClientRect();
      var u = options.vertical ? (box.bottom - e.clientY) / box.height : (e.clientX - box.left) / box.width;
      commit(fromUnit(u, r));
    }

    var dragging = null;
    node.addEventListener('pointerdown', function (e) {
      if (e.button !== 0 || e.target === value) return;
      node.focus();
      dragging = e.pointerId;
      capture(node, e.pointerId);
      fromPointer(e);
      e.preventDefault();
    });
    node.addEventListener('pointermove', function (e) {
      if (dragging === e.pointerId) fromPointer(e);
    });
    node.addEventListener('pointerup', function () { dragging = null; });
    node.addEventListener('pointercancel', function () { dragging = null; });
    node.addEventListener('dblclick', function () { commit(options.def()); });
    node.addEventListener('keydown', function (e) {
      var v = options.get();
      switch (e.key) {
        case 'ArrowUp': case 'ArrowRight': commit(stepValue(v, r, 1, e.shiftKey)); break;
        case 'ArrowDown': case 'ArrowLeft': commit(stepValue(v, r, -1, e.shiftKey)); break;
        case 'PageUp': commit(stepValue(v, r, 1, true)); break;
        case 'PageDown': commit(stepValue(v, r, -1, true)); break;
        case 'Home': commit(r.min); break;
        case 'End': commit(r.max); break;
        case 'Delete': case 'Backspace': commit(options.def()); break;
        case 'Enter': typeIn(); break;
        default: return;
      }
      e.preventDefault();
    });

    // Enter or a click on the value lets the user type an exact number.
    function typeIn() {
      var input = el('input', { cls: 'typein', type: 'text', value: String(options.get()),
        'aria-label': (options.label || '') + ' value' });
      var done = false;
      function finish(apply) {
        if (done) return;
        done = true;
        var parsed = parseFloat(input.value.replace('−', '-'));
        if (apply && isFinite(parsed)) commit(r.unit === 'Hz' && /k/i.test(input.value) ? parsed * 1000 : parsed);
        input.replaceWith(value);
        shown = null;
        refresh();
        node.focus();
      }
      input.addEventListener('keydown', function (e) {
        e.stopPropagation();
        if (e.key === 'Enter') finish(true);
        else if (e.key === 'Escape') finish(false);
      });
      input.addEventListener('blur', function () { finish(true); });
      input.addEventListener('pointerdown', function (e) { e.stopPropagation(); });
      value.replaceWith(input);
      input.focus();
      input.select();
    }
    value.addEventListener('click', typeIn);

    all.push(control);
    refresh();
    return control;
  }

  // An on/off button. Space or Enter switches, Up/Right on, Down/Left off, Delete default.
  function toggle(options) {
    var node = el('button', { type: 'button', cls: 'toggle' + (options.cls ? ' ' + options.cls : ''),
      title: options.title || options.label, 'aria-label': options.label }, [options.text || options.label]);
    var control = { node: node, refresh: refresh, set: commit };
    function commit(on) {
      if (on !== options.get()) {
        options.set(on);
        refresh();
      }
    }
    function refresh() {
      var on = options.get();
      node.setAttribute('aria-pressed', on ? 'true' : 'false');
      node.classList.toggle('on', on);
    }
    node.addEventListener('click', function () { commit(!options.get()); });
    node.addEventListener('keydown', function (e) {
      switch (e.key) {
        case 'ArrowUp': case 'ArrowRight': commit(true); break;
        case 'ArrowDown': case 'ArrowLeft': commit(false); break;
        case 'Delete': case 'Backspace': commit(options.def()); break;
        default: return;
      }
      e.preventDefault();
    });
    all.push(control);
    refresh();
    return control;
  }

  // A choice from a list; values may be numbers or texts. Delete picks the default.
  function choice(options) {
    var node = el('select', { cls: 'choice' + (options.cls ? ' ' + options.cls : ''),
      'aria-label': options.label, title: options.label });
    options.options.forEach(function (o) {
      node.appendChild(el('option', { value: String(o.value), text: o.text }));
    });
    var control = { node: node, refresh: refresh, set: commit };
    function valueOf(text) {
      var hit = options.options.filter(function (o) { return String(o.value) === text; })[0];
      return hit ? hit.value : text;
    }
    function commit(v) {
      if (v !== options.get()) {
        options.set(v);
        refresh();
      }
    }
    function refresh() {
      var v = options.get();
      var known = options.options.some(function (o) { return o.value === v; });
      // A value the list does not offer (written by newer firmware) is shown, not changed.
      var extra = node.querySelector('option.extra');
      if (!known) {
        if (!extra) {
          extra = el('option', { cls: 'extra' });
          node.appendChild(extra);
        }
        extra.value = String(v);
        extra.textContent = String(v);
      } else if (extra) {
        extra.remove();
      }
      node.value = String(v);
    }
    node.addEventListener('change', function () { commit(valueOf(node.value)); });
    node.addEventListener('keydown', function (e) {
      if (e.key === 'Delete' || e.key === 'Backspace') {
        commit(options.def());
        e.preventDefault();
      }
    });
    all.push(control);
    refresh();
    return control;
  }

  // A name, cut to its length as it is typed. Escape brings back the name it had on entry.
  function nameField(options) {
    var node = el('input', { type: 'text', cls: 'name' + (options.cls ? ' ' + options.cls : ''),
      maxlength: String(options.maxLength), spellcheck: 'false', 'aria-label': options.label,
      placeholder: options.placeholder || '', title: options.label });
    // The name before the first keystroke of this edit, for Escape.
    var onEntry = null;
    var control = { node: node, refresh: refresh };
    function refresh() {
      if (document.activeElement !== node) node.value = options.get();
    }
    node.addEventListener('input', function () {
      if (onEntry === null) onEntry = options.get();
      var clean = options.clean ? options.clean(node.value) : M.cutName(node.value, options.maxLength, '');
      if (clean !== node.value) node.value = clean;
      if (clean !== options.get()) options.set(clean);
    });
    node.addEventListener('keydown', function (e) {
      if (e.key === 'Escape') {
        if (onEntry !== null) {
          node.value = onEntry;
          if (onEntry !== options.get()) options.set(onEntry);
          onEntry = null;
        }
        e.preventDefault();
      } else if (e.key === 'Enter') {
        node.blur();
      }
    });
    node.addEventListener('blur', function () {
      onEntry = null;
      if (options.commit) options.commit(node.value);
      refresh();
    });
    all.push(control);
    refresh();
    return control;
  }

  // Left and right on a strip's name move to the neighbouring strip of `count`, wrapping round:
  // `select` shows it, and the focus follows to its name.
  function stripKeys(e, index, count, select) {
    var step = e.key === 'ArrowRight' ? 1 : e.key === 'ArrowLeft' ? -1 : 0;
    if (!step) return;
    var next = (index + step + count) % count;
    select(next);
    document.querySelectorAll('#' + e.target.closest('.section').id + ' .strip-head')[next].focus();
    e.preventDefault();
  }

  // A section of strips side by side over the detail of the one selected: the strips are
  // built now, the detail by `fillDetail`, which is handed the detail's node, returned too.
  function stripsOverDetail(node, count, buildStrip, fillDetail) {
    var row = el('div', { cls: 'strips' });
    for (var i = 0; i < count; ++i) row.appendChild(buildStrip(i));
    var detail = el('div', { cls: 'detail' });
    node.appendChild(row);
    node.appendChild(detail);
    fillDetail(detail);
    return detail;
  }

  // Small on/off marks (48V, HPF…) in `node`, lit when on. They are only seen: a screen reader
  // gets one phrase of what is on instead ('48V on, Polarity inverted'), or that all are off.
  // list: [{ text, on, name, said }]; `name` (else the text) is the mark spoken, `said` what is
  // read when it is on (else the name and 'on'). Drawn again only when what is on changes.
  function flags(node, list) {
    var shown = list.map(function (f) { return f.on ? f.text : ''; }).join('|');
    if (node.dataset.shown === shown) return;
    node.dataset.shown = shown;
    node.textContent = '';
    list.forEach(function (f) {
      node.appendChild(el('span', { cls: 'flag' + (f.on ? ' on' : ''), text: f.text, 'aria-hidden': 'true' }));
    });
    node.appendChild(el('span', { cls: 'visually-hidden', text: flagsSaid(list) }));
  }

  function flagsSaid(list) {
    var on = list.filter(function (f) { return f.on; });
    if (on.length) return on.map(function (f) { return f.said || (f.name || f.text) + ' on'; }).join(', ');
    var names = list.map(function (f) { return f.name || f.text; });
    var last = names.pop();
    return (names.length ? names.join(', ') + ' and ' : '') + last + ' off';
  }

  // Controls inside `hidden` (a section not shown) wait until it is shown.
  function refreshAll(hidden) {
    all = all.filter(function (c) { return c.node.isConnected; });
    all.forEach(function (c) {
      if (!hidden || !hidden.some(function (h) { return h.contains(c.node); })) c.refresh();
    });
  }

  return {
    el: el, slider: slider, toggle: toggle, choice: choice, nameField: nameField,
    refreshAll: refreshAll, capture: capture, formatNumber: formatNumber, formatPan: formatPan,
    toUnit: toUnit, fromUnit: fromUnit, stepValue: stepValue, stripKeys: stripKeys,
    stripsOverDetail: stripsOverDetail, flags: flags
  };
}));
