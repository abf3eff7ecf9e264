// The bar above every section: back to the project, the device switcher, the device's
// identity edited in place, undo and redo, its connection state with the actions it allows,
// and Save.
(function (root) {
  'use strict';
  var M = root.ZephModel;
  var C = root.ZephControls;
  var P = root.ZephPage;
  var el = C.el;
  var app = P.app;

  // The header colours a device can carry, by index.
  var COLORS = [
    { text: 'Grey', css: '#8f9598' }, { text: 'Red', css: '#e74c3c' }, { text: 'Orange', css: '#e67e22' },
    { text: 'Yellow', css: '#f1c40f' }, { text: 'Green', css: '#2ecc71' }, { text: 'Blue', css: '#3498db' },
    { text: 'Purple', css: '#9b59b6' }
  ];
  var STATUS = [
    { text: 'Connected', cls: 'connected', actions: ['Disconnect'] },
    { text: 'Disconnected', cls: 'disconnected', actions: ['Connect'] },
    { text: 'Missing', cls: 'missing', actions: ['Reconnect', 'Disconnect'] }
  ];

  var parts = {};

  function colorOf(index) { return (COLORS[index] || COLORS[0]).css; }

  // The device page shown: the one the application says is selected, else this page's own.
  function shownDevice() {
    return app.selectedDevice >= 0 && app.selectedDevice < app.deviceList.length ? app.selectedDevice : app.deviceIndex;
  }

  function deviceEntries() {
    var list = app.deviceList.length ? app.deviceList.slice() : [{ name: app.info.name, model: app.model, color: app.info.color }];
    // This device's own entry shows what is being typed here.
    if (list[app.deviceIndex]) list[app.deviceIndex] = { name: app.info.name, model: app.model, color: app.info.color };
    return list;
  }

  // `control` names the control that asked; the page shown next puts the focus on its own.
  function go(index, control) {
    var count = deviceEntries().length;
    if (index < 0 || index >= count || index === shownDevice()) return;
    P.call('gotoDeviceFrom', index, control);
  }

  // A step button that cannot step (the first or last device) leaves the focus with the
  // switcher beside it rather than with the other button, where Space would walk back.
  function focus(control) {
    if (!parts.switcher) return;
    var wanted = { next: parts.next, previous: parts.prev }[control];
    (wanted && !wanted.disabled ? wanted : parts.switcher).focus();
  }

  function identityEdited() { P.edited(7, 0); }

  function build(bar) {
    bar.textContent = '';
    var back = el('button', { type: 'button', cls: 'back', title: 'Back to the project page',
      onclick: function () { P.call('backToProjectPage'); } }, ['‹ Project']);
    parts.prev = el('button', { type: 'button', cls: 'icon', title: 'Previous device', 'aria-label': 'Previous device',
      onclick: function () { go(shownDevice() - 1, 'previous'); } }, ['◀']);
    parts.next = el('button', { type: 'button', cls: 'icon', title: 'Next device', 'aria-label': 'Next device',
      onclick: function () { go(shownDevice() + 1, 'next'); } }, ['▶']);
    parts.switcher = el('select', { cls: 'switcher', 'aria-label': 'Device', title: 'Device' });
    parts.switcher.addEventListener('change', function () { go(Number(parts.switcher.value), 'switcher'); });
    parts.switchDot = el('span', { cls: 'dot' });

    var color = C.choice({
      label: 'Header colour', cls: 'color-choice',
      options: COLORS.map(function (c, i) { return { value: i, text: c.text }; }),
      get: function () { return app.info.color; },
      set: function (v) { app.info.color = v; identityEdited(); },
      def: function () { return 0; }
    });
    parts.colorDot = el('span', { cls: 'dot big' });
    var name = C.nameField({
      label: 'Device name', cls: 'device-name', maxLength: M.NAME_LENGTHS.device,
      clean: M.cleanDeviceName,
      get: function () { return app.info.name; },
      // A device always has a name (the project file insists): while the field is empty the
      // device keeps its last one, and leaving the field empty shows that name again.
      set: function (v) {
        if (!v.trim()) return;
        app.info.name = v;
        identityEdited();
      },
      commit: function (v) {
        var trimmed = v.trim();
        if (trimmed && trimmed !== app.info.name) {
          app.info.name = trimmed;
          identityEdited();
        }
      }
    });
    var id = C.slider({
      label: 'Device ID', hideLabel: true, cls: 'compact', range: M.RANGES.deviceId, title: 'Device ID (−1: not set)',
      format: function (v) { return v < 0 ? 'ID –' : 'ID ' + v; },
      get: function () { return app.info.deviceid; },
      set: function (v) { app.info.deviceid = v; identityEdited(); },
      def: function () { return 1; }
    });

    parts.statusDot = el('span', { cls: 'status-dot' });
    // Announced when it changes: the mixer going missing is news a screen reader must give.
    parts.statusText = el('span', { cls: 'status-text', role: 'status' });
    // What the application adds to the state, as the project page shows it under the status:
    // "Reconnecting…" while it reconnects the mixer on its own, or that it is online again.
    parts.statusNote = el('span', { cls: 'status-note', role: 'status' });
    parts.actions = el('span', { cls: 'status-actions' });
    var save = el('button', { type: 'button', cls: 'save', title: 'Save the project (Ctrl+S)', onclick: P.save }, ['Save']);
    parts.undo = el('button', { type: 'button', cls: 'icon undo', title: 'Undo (Ctrl+Z)', 'aria-label': 'Undo',
      'aria-keyshortcuts': 'Control+Z', onclick: function () { P.undo(); } }, ['↶']);
    parts.redo = el('button', { type: 'button', cls: 'icon redo', title: 'Redo (Ctrl+Shift+Z)', 'aria-label': 'Redo',
      'aria-keyshortcuts': 'Control+Shift+Z Control+Y', onclick: function () { P.redo(); } }, ['↷']);

    bar.appendChild(el('div', { cls: 'bar-group nav' }, [back, parts.prev, parts.switchDot, parts.switcher, parts.next]));
    bar.appendChild(el('div', { cls: 'bar-group identity' }, [parts.colorDot, color.node, name.node, id.node]));
    bar.appendChild(el('div', { cls: 'bar-group history', role: 'group', 'aria-label': 'Edit history' }, [parts.undo, parts.redo]));
    bar.appendChild(el('div', { cls: 'bar-group state' }, [parts.statusDot,
      el('span', { cls: 'status-label' }, [parts.statusText, parts.statusNote]), parts.actions, save]));
    document.addEventListener('keydown', function (e) {
      if ((e.ctrlKey || e.metaKey) && (e.key === 's' || e.key === 'S')) {
        P.save();
        e.preventDefault();
      }
    });
    refresh();
  }

  function refresh() {
    if (!parts.switcher) return;
    var entries = deviceEntries();
    var shown = shownDevice();
    var options = parts.switcher.options;
    entries.forEach(function (d, i) {
      var text = (i + 1) + '. ' + (d.name || '(no name)') + (d.model ? ' · ' + d.model : '');
      if (!options[i]) parts.switcher.appendChild(C.el('option', { value: String(i) }));
      if (options[i].textContent !== text) options[i].textContent = text;
    });
    while (options.length > entries.length) options[options.length - 1].remove();
    parts.switcher.value = String(shown);
    parts.switchDot.style.background = colorOf(entries[shown] ? entries[shown].color : 0);
    parts.prev.disabled = shown <= 0;
    parts.next.disabled = shown >= entries.length - 1;
    parts.colorDot.style.background = colorOf(app.info.color);
    parts.undo.disabled = !app.history || !app.history.canUndo();
    parts.redo.disabled = !app.history || !app.history.canRedo();

    var state = app.status === null ? null : STATUS[app.status] || STATUS[1];
    // Written only when it changes: each write would be announced again, and every edit refreshes.
    var statusText = state ? state.text : 'Preview';
    if (parts.statusText.textContent !== statusText) parts.statusText.textContent = statusText;
    parts.statusDot.className = 'status-dot ' + (state ? state.cls : 'preview');
    parts.statusText.className = 'status-text ' + (state ? state.cls : 'preview');
    var note = state ? app.statusNote : '';
    if (parts.statusNote.textContent !== note) parts.statusNote.textContent = note;
    var wanted = state ? state.actions.join() : '';
    if (parts.actions.dataset.shown !== wanted) {
      parts.actions.dataset.shown = wanted;
      parts.actions.textContent = '';
      (state ? state.actions : []).forEach(function (action) {
        parts.actions.appendChild(el('button', { type: 'button', cls: 'action ' + action.toLowerCase(),
          onclick: function () { P.call(action.toLowerCase() + 'Device'); } }, [action]));
      });
    }
  }

  root.ZephTopBar = { build: build, refresh: refresh, focus: focus, COLORS: COLORS };
}(this));
