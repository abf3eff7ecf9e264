// The settings page itself: the data it holds, the functions the application calls, the web
// channel to the application, the notice and the section tabs. Sections register through
// ZephPage.section(); start.js, loaded last, calls ZephPage.start(modelName).
(function (root) {
  'use strict';
  var M = root.ZephModel;
  var R = root.ZephReporter;
  var C = root.ZephControls;
  var el = C.el;
  var CODES = R.CODES;

  var app = {
    model: 'ZEPH-2208',
    data: null,
    notices: {},
    info: { name: 'Preview', deviceid: 1, color: 0 },
    status: null, // null without the application
    statusNote: '',
    deviceList: [],
    deviceIndex: 0,
    selectedDevice: -1,
    api: null,
    device: null,
    echo: new R.EchoFilter(),
    history: null,
    reporter: null,
    sections: [],
    activeSection: null,
    ready: false,
    perf: { startAt: null, channelAt: null, shownAt: null, lastEditAt: 0, editToReportMs: [], reports: 0, refreshMs: 0, refreshes: 0 }
  };

  function keyText(type, bank) {
    switch (type) {
      case CODES.current: return 'the current settings';
      case CODES.preset: return 'preset ' + (bank + 1);
      case CODES.partial: return 'partial preset ' + (bank + 1);
      case CODES.eq4: return 'the channel EQ library';
      default: return 'the output EQ library';
    }
  }

  // ---- Data sets -----------------------------------------------------------------------

  function freshData() {
    var d = { current: null, presets: [], partials: [], eq12: null, eq4: null };
    return d;
  }

  function readSet(type, bank, text) {
    switch (type) {
      case CODES.current: return M.read.current(text, app.model);
      case CODES.preset: return M.read.preset(text, app.model, bank);
      case CODES.partial: return M.read.partial(text, bank);
      case CODES.eq4: return M.read.library(text, false);
      default: return M.read.library(text, true);
    }
  }

  function loadSet(type, bank, text) {
    var result = readSet(type, bank, text);
    switch (type) {
      case CODES.current: app.data.current = result.data; break;
      case CODES.preset: app.data.presets[bank] = result.data; break;
      case CODES.partial: app.data.partials[bank] = result.data; break;
      case CODES.eq4: app.data.eq4 = result.data; break;
      default: app.data.eq12 = result.data;
    }
    if (result.notice && app.api) app.notices[R.keyOf(type, bank)] = { type: type, bank: bank, kind: result.notice };
    else delete app.notices[R.keyOf(type, bank)];
  }

  function textOf(list, i) { return list && typeof list[i] === 'string' ? list[i] : undefined; }

  // The device's texts as the page starts: shown, and known as what the device holds.
  function loadAll(texts) {
    app.data = freshData();
    function load(type, bank, text) {
      loadSet(type, bank, text);
      app.echo.loaded(type, bank, text);
      U().loaded(R.keyOf(type, bank), text);
    }
    load(CODES.current, 0, texts.current);
    for (var b = 0; b < M.PRESET_BANKS; ++b) load(CODES.preset, b, textOf(texts.presets, b));
    for (b = 0; b < M.PARTIAL_BANKS; ++b) load(CODES.partial, b, textOf(texts.partials, b));
    load(CODES.eq12, 0, texts.eq12);
    load(CODES.eq4, 0, texts.eq4);
    U().identityLoaded();
  }

  function dataOf(type, bank) {
    switch (type) {
      case CODES.current: return app.data.current;
      case CODES.preset: return app.data.presets[bank];
      case CODES.partial: return app.data.partials[bank];
      case CODES.eq4: return app.data.eq4;
      default: return app.data.eq12;
    }
  }

  // What the application reads after a notice: the set as it stands now.
  function handOut(type, bank) {
    var text = M.write(dataOf(type, bank));
    app.echo.handedOut(type, bank, text);
    if (app.reporter) app.reporter.fetched(type, bank);
    return text;
  }

  function bankArg(bank, count) {
    bank = Number(bank);
    return bank >= 0 && bank < count && bank === Math.floor(bank) ? bank : 0;
  }

  root.getZephDataPreset = function (bank) { return handOut(CODES.preset, bankArg(bank, M.PRESET_BANKS)); };
  root.getZephData12BandEq = function () { return handOut(CODES.eq12, 0); };
  root.getZephData4BandEq = function () { return handOut(CODES.eq4, 0); };
  root.getZephDataPartialPreset = function (bank) { return handOut(CODES.partial, bankArg(bank, M.PARTIAL_BANKS)); };
  root.getZephDataCurrent = function () { return handOut(CODES.current, 0); };
  root.getDeviceInfo = function () {
    var info = { name: app.info.name, deviceid: app.info.deviceid, color: app.info.color };
    app.echo.handedOut('name', 0, info.name);
    app.echo.handedOut('id', 0, String(info.deviceid));
    app.echo.handedOut('color', 0, String(info.color));
    return JSON.stringify(info);
  };

  // The undo history, which loads after this file.
  function U() { return root.ZephUndo; }

  // Every edit ends here: the application hears which set changed, the views follow, the
  // history takes it into a step.
  function edited(type, bank) {
    bank = bank || 0;
    U().edited(type, bank, function () { changed(type, bank); });
  }

  // An edit that is a step of its own (a recall, a library applied, a store): `change` makes
  // it, between the close of the step before and its own, and returns false when it changed
  // nothing.
  function ownStep(type, bank, change) {
    U().closeStep();
    if (change() === false) return;
    edited(type, bank);
    U().closeStep();
  }

  function changed(type, bank) {
    app.perf.lastEditAt = performance.now();
    delete app.notices[R.keyOf(type, bank)];
    if (app.reporter) app.reporter.changed(type, bank);
    scheduleRefresh();
  }

  // A set changed outside the page (a transfer from the mixer, a roll-back): show it, unless
  // it is only the application storing what this page handed out.
  function external(type, bank, text) {
    if (app.echo.arrived(type, bank, text)) return;
    loadSet(type, bank, text);
    U().replaced(R.keyOf(type, bank), text);
    showNotice();
    reloaded(type, bank);
    scheduleRefresh();
  }

  function reloaded(type, bank) {
    app.sections.forEach(function (s) { if (s.built && s.reloaded) s.reloaded(type, bank); });
  }

  var refreshPending = false;
  function scheduleRefresh() {
    if (refreshPending) return;
    refreshPending = true;
    requestAnimationFrame(function () {
      refreshPending = false;
      refreshNow();
    });
  }

  // Only the section on screen follows every edit; the others catch up when they are shown.
  function refreshNow(everything) {
    var started = performance.now();
    var hidden = everything ? null : app.sections.filter(function (s) { return s !== app.activeSection && s.node; })
      .map(function (s) { return s.node; });
    C.refreshAll(hidden);
    app.sections.forEach(function (s) {
      if (s.refresh && s.built && (everything || s === app.activeSection)) s.refresh();
    });
    if (root.ZephTopBar) root.ZephTopBar.refresh();
    app.perf.refreshMs += performance.now() - started;
    app.perf.refreshes += 1;
  }

  // ---- Notice --------------------------------------------------------------------------

  function showNotice() {
    var box = document.getElementById('notice');
    var list = Object.keys(app.notices).map(function (k) { return app.notices[k]; });
    if (!list.length) {
      box.hidden = true;
      return;
    }
    var unreadable = list.some(function (n) { return n.kind === 'unreadable'; });
    var names = list.length > 4 ? list.length + ' data sets' : list.map(function (n) { return keyText(n.type, n.bank); }).join(', ');
    box.querySelector('.text').textContent = (unreadable
      ? 'Some settings could not be read. '
      : 'This device holds no settings for some parts yet. ') +
      'Factory settings are shown for ' + names + '; they are kept once you edit them.';
    box.hidden = false;
  }

  // ---- Confirmation and naming dialog --------------------------------------------------

  // options: title, text, confirm (button text), name ({ value, maxLength }) and done(name).
  function ask(options) {
    var layer = document.getElementById('dialog');
    var before = document.activeElement;
    var input = options.name ? el('input', { type: 'text', cls: 'name', maxlength: String(options.name.maxLength),
      value: options.name.value, 'aria-label': 'Name', spellcheck: 'false' }) : null;
    var ok = el('button', { type: 'button', cls: 'accept', text: options.confirm });
    var cancel = el('button', { type: 'button', cls: 'reject', text: 'Cancel' });
    var box = el('div', { cls: 'dialog-box', role: 'dialog', 'aria-modal': 'true', 'aria-label': options.title }, [
      el('h2', { text: options.title }),
      options.text ? el('p', { text: options.text }) : null,
      input,
      el('div', { cls: 'dialog-buttons' }, [cancel, ok])
    ]);
    layer.textContent = '';
    layer.appendChild(box);
    layer.hidden = false;
    function close(accepted) {
      layer.hidden = true;
      layer.textContent = '';
      if (before && before.focus) before.focus();
      if (accepted) options.done(input ? M.cutName(input.value.trim(), options.name.maxLength, '') : null);
    }
    ok.addEventListener('click', function () { close(true); });
    cancel.addEventListener('click', function () { close(false); });
    box.addEventListener('keydown', function (e) {
      if (e.key === 'Escape') { close(false); e.preventDefault(); }
      else if (e.key === 'Enter' && e.target !== cancel) { close(true); e.preventDefault(); }
      else if (e.key === 'Tab') {
        // Keep the focus inside the dialog.
        var items = [input, cancel, ok].filter(Boolean);
        var i = items.indexOf(document.activeElement);
        var next = items[(i + (e.shiftKey ? items.length - 1 : 1)) % items.length];
        next.focus();
        e.preventDefault();
      }
    });
    (input || ok).focus();
    if (input) input.select();
  }

  // ---- Sections and tabs ---------------------------------------------------------------

  function section(definition) { app.sections.push(definition); }

  function buildSections() {
    var tabs = document.getElementById('tabs');
    var main = document.getElementById('sections');
    app.sections = app.sections.filter(function (s) { return !s.netOnly || app.model === 'ZEPH-2208NET'; });
    app.sections.forEach(function (s, i) {
      s.tab = el('button', { type: 'button', role: 'tab', cls: 'tab', id: 'tab-' + s.id, text: s.title,
        'aria-controls': 'section-' + s.id, onclick: function () { activate(s.id, true); } });
      s.tab.addEventListener('keydown', function (e) {
        var step = e.key === 'ArrowRight' ? 1 : e.key === 'ArrowLeft' ? -1 : 0;
        if (!step) return;
        var next = app.sections[(i + step + app.sections.length) % app.sections.length];
        activate(next.id, true);
        next.tab.focus();
        e.preventDefault();
      });
      tabs.appendChild(s.tab);
      s.node = el('section', { id: 'section-' + s.id, role: 'tabpanel', cls: 'section', 'aria-labelledby': 'tab-' + s.id });
      s.node.hidden = true;
      main.appendChild(s.node);
    });
  }

  // Sections are shown by id; "#inputs/3" also picks the channel (used by the screenshots).
  function activate(id, fromUser) {
    var parts = String(id || '').split('/');
    var target = app.sections.filter(function (s) { return s.id === parts[0]; })[0] || app.sections[0];
    app.activeSection = target;
    // A section is built when it is first shown: the page is up sooner.
    if (!target.built) {
      target.built = true;
      target.build(target.node);
    }
    app.sections.forEach(function (s) {
      var on = s === target;
      s.node.hidden = !on;
      s.tab.classList.toggle('active', on);
      s.tab.setAttribute('aria-selected', on ? 'true' : 'false');
      s.tab.tabIndex = on ? 0 : -1;
    });
    if (app.ready) refreshNow(false);
    if (target.shown) target.shown(parts[1]);
    if (fromUser && history.replaceState) history.replaceState(null, '', '#' + target.id);
    rememberView();
  }

  // ---- Where the user is -----------------------------------------------------------------
  // The application may drop this page's web view while another page is shown, and load the
  // page afresh when it comes back; it holds the place the user had, so that is where the
  // page comes back to.

  function viewOf(state) {
    try {
      var parsed = JSON.parse(state || '{}');
      return parsed && typeof parsed === 'object' ? parsed : {};
    } catch (e) {
      return {};
    }
  }

  function rememberView() {
    var active = app.activeSection;
    if (!app.api || !active || !app.ready) return;
    var view = active.id + (active.selected ? '/' + (active.selected() + 1) : '');
    var text = JSON.stringify({ view: view, scroll: Math.max(0, Math.round(root.scrollY || 0)) });
    if (text !== app.viewState) {
      app.viewState = text;
      call('rememberView', text);
    }
  }

  var scrollTimer = null;
  function scrolled() {
    if (scrollTimer) clearTimeout(scrollTimer);
    scrollTimer = setTimeout(function () { scrollTimer = null; rememberView(); }, 150);
  }

  // ---- The application -----------------------------------------------------------------

  function listOf(v) {
    if (Array.isArray(v)) return v;
    try {
      var parsed = JSON.parse(typeof v === 'string' ? v : '[]');
      return Array.isArray(parsed) ? parsed : [];
    } catch (e) {
      return [];
    }
  }

  function call(method) {
    var args = Array.prototype.slice.call(arguments, 1);
    if (app.api && typeof app.api[method] === 'function') app.api[method].apply(app.api, args);
  }

  function attach(api) {
    app.perf.channelAt = performance.now();
    var device = api.currentDevice;
    app.api = api;
    app.device = device;
    app.reporter = new R.Reporter({
      send: function (type, bank) { api.zephDataChanged(type, bank); },
      onSent: function () {
        app.perf.reports += 1;
        app.perf.editToReportMs.push(performance.now() - app.perf.lastEditAt);
        if (app.perf.editToReportMs.length > 200) app.perf.editToReportMs.shift();
      }
    });
    app.deviceList = listOf(api.deviceList);
    app.deviceIndex = typeof api.currentDeviceIndex === 'number' ? api.currentDeviceIndex : 0;
    app.selectedDevice = typeof api.selectedDevice === 'number' ? api.selectedDevice : -1;
    app.viewState = typeof api.viewState === 'string' ? api.viewState : '';
    app.arrivalFocus = typeof api.arrivalFocus === 'string' ? api.arrivalFocus : '';
    U().start('device ' + app.deviceIndex);
    if (device) {
      app.info = { name: device.deviceName || '', deviceid: device.deviceId, color: device.headerColor };
      app.echo.loaded('name', 0, app.info.name);
      app.echo.loaded('id', 0, String(app.info.deviceid));
      app.echo.loaded('color', 0, String(app.info.color));
      app.status = device.statusAsInt;
      app.statusNote = device.statusNote || '';
      loadAll({ current: device.zephDataCurrent, presets: device.zephDataPreset, partials: device.zephDataPartialPreset,
        eq12: device.zephData12BandEq, eq4: device.zephData4BandEq });
      app.perf.dataReadAt = performance.now();
      connectDevice(device);
    } else {
      loadAll({});
    }
    api.selectedDeviceChanged.connect(function (value) {
      app.selectedDevice = value;
      if (root.ZephTopBar) root.ZephTopBar.refresh();
    });
    show();
  }

  function connectDevice(device) {
    function on(signal, handler) { if (device[signal]) device[signal].connect(handler); }
    on('zephDataCurrentChanged', function (t) { external(CODES.current, 0, t); });
    on('zephData12BandEqChanged', function (t) { external(CODES.eq12, 0, t); });
    on('zephData4BandEqChanged', function (t) { external(CODES.eq4, 0, t); });
    on('zephDataPresetBankChanged', function (b, t) { external(CODES.preset, b, t); });
    on('zephDataPartialPresetBankChanged', function (b, t) { external(CODES.partial, b, t); });
    on('zephDataPresetChanged', function (list) {
      list.forEach(function (t, b) { if (b < M.PRESET_BANKS) external(CODES.preset, b, t); });
    });
    on('zephDataPartialPresetChanged', function (list) {
      list.forEach(function (t, b) { if (b < M.PARTIAL_BANKS) external(CODES.partial, b, t); });
    });
    // The identity follows changes made elsewhere, but not the echo of what was typed here.
    function identity(echoKey, member) {
      return function (value) {
        if (app.echo.arrived(echoKey, 0, String(value))) return;
        app.info[member] = value;
        U().identityReplaced();
        scheduleRefresh();
      };
    }
    on('deviceNameChanged', identity('name', 'name'));
    on('deviceIdChanged', identity('id', 'deviceid'));
    on('headerColorChanged', identity('color', 'color'));
    on('statusAsIntChanged', function (s) { app.status = s; scheduleRefresh(); });
    on('statusNoteChanged', function (note) { app.statusNote = note || ''; scheduleRefresh(); });
  }

  function show() {
    buildSections();
    if (root.ZephTopBar) root.ZephTopBar.build(document.getElementById('topbar'));
    var saved = viewOf(app.viewState);
    activate(location.hash.slice(1) || saved.view, false);
    showNotice();
    refreshNow(true);
    app.ready = true;
    app.perf.shownAt = performance.now();
    document.body.classList.add('ready');
    if (saved.scroll > 0) root.scrollTo(0, saved.scroll);
    root.addEventListener('scroll', scrolled, { passive: true });
    if (app.arrivalFocus) focusOnArrival(app.arrivalFocus);
  }

  // The user came here with the top bar's control of that name on another device's page: the
  // same control here takes the focus, so that the next key goes on the same way.
  function focusOnArrival(control) {
    app.arrivalFocus = control;
    if (!app.ready || !root.ZephTopBar) return;
    // This page is the one shown now, whether or not the window's notice has come yet.
    app.selectedDevice = app.deviceIndex;
    root.ZephTopBar.refresh();
    root.ZephTopBar.focus(control);
  }

  // In lists of banks and slots the arrow keys move between their buttons: up and down to the
  // same button of the next row, left and right along the row.
  function listKeys(e) {
    var row = e.target.closest && e.target.closest('.bank-row, .slot-row');
    if (!row || e.target.tagName !== 'BUTTON') return;
    var buttons = function (r) { return Array.prototype.slice.call(r.querySelectorAll('button')); };
    var own = buttons(row);
    var index = own.indexOf(e.target);
    var next = null;
    if (e.key === 'ArrowLeft' || e.key === 'ArrowRight') {
      next = own[index + (e.key === 'ArrowLeft' ? -1 : 1)];
    } else if (e.key === 'ArrowUp' || e.key === 'ArrowDown') {
      var sibling = e.key === 'ArrowUp' ? row.previousElementSibling : row.nextElementSibling;
      next = sibling ? buttons(sibling)[index] : null;
    } else {
      return;
    }
    if (next) next.focus();
    e.preventDefault();
  }

  // A fault in the page's own code shows as a notice rather than as a page that stops
  // answering without a word.
  function showFault(message) {
    var box = document.getElementById('notice');
    box.querySelector('.text').textContent = 'The page hit an internal error (' + message + '). ' +
      'Your settings so far are kept; reopening the device page starts it afresh.';
    box.hidden = false;
  }

  function start(model) {
    root.addEventListener('error', function (e) {
      // Only the page's own files: scripts the application runs in the page report elsewhere.
      if (/\/shared\/[a-z]+\.js$/.test(e.filename || '')) showFault(e.message || 'unknown');
    });
    document.addEventListener('keydown', listKeys);
    app.perf.startAt = performance.now();
    app.model = model;
    document.getElementById('notice').querySelector('.close').addEventListener('click', function () {
      document.getElementById('notice').hidden = true;
    });
    if (root.qt && root.qt.webChannelTransport && root.QWebChannel) {
      new root.QWebChannel(root.qt.webChannelTransport, function (channel) { attach(channel.objects.qtApi); });
    } else {
      // Without the application (a preview in a browser): factory settings, calls do nothing.
      U().start('preview');
      loadAll({});
      show();
    }
  }

  // Saves once the application holds every edit: the last fetch has been answered, and its
  // result (which travels apart from the save request) has had a moment to be stored.
  function save() {
    var waited = 0;
    (function attempt() {
      if (!app.reporter || app.reporter.settled() || waited > 1000) {
        setTimeout(function () { call('saveProject'); }, app.reporter ? 60 : 0);
        return;
      }
      waited += 20;
      setTimeout(attempt, 20);
    }());
  }

  root.ZephPage = {
    app: app, start: start, section: section, edited: edited, ownStep: ownStep, ask: ask, call: call, save: save,
    activate: activate, rememberView: rememberView, focusOnArrival: focusOnArrival, refresh: scheduleRefresh, external: external, dataOf: dataOf,
    undo: function () { return U().undo(); }, redo: function () { return U().redo(); },
    closeStep: function () { U().closeStep(); },
    readSet: readSet, loadSet: loadSet, changed: changed, reloaded: reloaded, refreshNow: refreshNow,
    perf: app.perf, plotPerf: function () { return root.ZephPlot.perf; }
  };
}(this));
