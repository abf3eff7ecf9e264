// Presets (8 full snapshots) and partial presets (40 named subsets), with a confirmation
// before anything that overwrites.
(function (root) {
  'use strict';
  var M = root.ZephModel;
  var B = root.ZephBanks;
  var C = root.ZephControls;
  var P = root.ZephPage;
  var el = C.el;
  var app = P.app;

  function button(text, cls, handler, title) {
    return el('button', { type: 'button', cls: cls, text: text, title: title || text, onclick: handler });
  }

  // ---- Presets -------------------------------------------------------------------------

  var presetRows = [];

  function preset(b) { return app.data.presets[b]; }
  function label(b, name) { return 'preset ' + (b + 1) + (name ? ' “' + name + '”' : ''); }

  function storePreset(b) {
    var bank = preset(b);
    P.ask({
      title: bank.stored ? 'Overwrite ' + label(b, bank.name) + '?' : 'Store preset ' + (b + 1),
      text: bank.stored ? 'The preset is replaced by the current settings.' : 'The current settings are stored under this name.',
      confirm: bank.stored ? 'Overwrite' : 'Store',
      name: { value: bank.stored ? bank.name : 'Preset ' + (b + 1), maxLength: M.NAME_LENGTHS.bank },
      done: function (name) {
        P.ownStep(2, b, function () { B.storePreset(bank, app.data.current, name, app.model); });
      }
    });
  }

  function recallPreset(b) {
    var bank = preset(b);
    P.ask({
      title: 'Recall ' + label(b, bank.name) + '?',
      text: 'The current settings are replaced by the preset.',
      confirm: 'Recall',
      done: function () {
        P.ownStep(7, 0, function () { B.recallPreset(app.data.current, bank, app.model); });
      }
    });
  }

  function clearPreset(b) {
    var bank = preset(b);
    P.ask({
      title: 'Clear ' + label(b, bank.name) + '?',
      text: 'The bank returns to its unused state.',
      confirm: 'Clear',
      done: function () {
        P.ownStep(2, b, function () { app.data.presets[b] = B.clearPreset(app.model); });
      }
    });
  }

  function buildPresets(node) {
    var list = el('div', { cls: 'bank-list presets' });
    for (var b = 0; b < M.PRESET_BANKS; ++b) {
      (function (b) {
        var name = C.nameField({ label: 'Preset ' + (b + 1) + ' name', maxLength: M.NAME_LENGTHS.bank,
          placeholder: 'empty', get: function () { return preset(b).name; },
          set: function (v) { preset(b).name = v; P.edited(2, b); } });
        var state = el('span', { cls: 'bank-state' });
        var recall = button('Recall', 'plain', function () { recallPreset(b); });
        var clear = button('Clear', 'plain', function () { clearPreset(b); });
        var row = el('div', { cls: 'bank-row' }, [el('span', { cls: 'bank-number', text: String(b + 1) }), name.node,
          state, button('Store', 'plain store', function () { storePreset(b); }), recall, clear]);
        presetRows[b] = { row: row, name: name, state: state, recall: recall, clear: clear };
        list.appendChild(row);
      }(b));
    }
    node.appendChild(el('p', { cls: 'section-help', text: 'A preset holds the whole console: every channel and output' +
      (app.model === 'ZEPH-2208NET' ? ', and the network audio' : '') + '. Store keeps the current settings; recall brings them back.' }));
    node.appendChild(list);
  }

  function refreshPresets() {
    presetRows.forEach(function (r, b) {
      var bank = preset(b);
      r.row.classList.toggle('stored', bank.stored);
      r.state.textContent = bank.stored ? 'stored' : 'empty';
      r.recall.disabled = !bank.stored;
      r.clear.disabled = !bank.stored && !bank.name;
      r.name.node.disabled = !bank.stored;
    });
  }

  P.section({ id: 'presets', title: 'Presets', build: buildPresets, refresh: refreshPresets });

  // ---- Partial presets -----------------------------------------------------------------

  var partialRows = [];
  var chosen = 0;
  var selection = null;
  var editor = null;

  function partial(b) { return app.data.partials[b]; }

  function summary(bank) {
    if (!bank.stored) return 'empty';
    var sel = B.partialSelection(bank);
    var parts = [];
    if (sel.inputs.length) parts.push('Ch ' + sel.inputs.join(', ') + ': ' + groupNames(B.INPUT_GROUPS, sel.inputGroups));
    if (sel.outputs.length) parts.push('Out ' + sel.outputs.join(', ') + ': ' + groupNames(B.OUTPUT_GROUPS, sel.outputGroups));
    return parts.join(' · ') || 'nothing chosen';
  }

  function groupNames(groups, ids) {
    return groups.filter(function (g) { return ids.indexOf(g.id) >= 0; }).map(function (g) { return g.label; }).join(', ');
  }

  function choose(b) {
    chosen = b;
    var bank = partial(b);
    selection = bank.stored ? B.partialSelection(bank) : { inputs: [], outputs: [], inputGroups: [], outputGroups: [] };
    buildEditor();
    refreshPartials();
  }

  // A row of on/off buttons that edit a list of chosen numbers or group ids.
  function picker(title, items, list) {
    var row = el('div', { cls: 'picker' });
    items.forEach(function (item) {
      row.appendChild(C.toggle({ label: title + ' ' + item.text, text: item.text,
        get: function () { return selection[list].indexOf(item.value) >= 0; },
        set: function (on) {
          var l = selection[list];
          var i = l.indexOf(item.value);
          if (on && i < 0) l.push(item.value);
          if (!on && i >= 0) l.splice(i, 1);
          refreshPartials();
        },
        def: function () { return false; } }).node);
    });
    return el('div', { cls: 'picker-group' }, [el('h4', { text: title }), row]);
  }

  function numbers(count, names) {
    var out = [];
    for (var i = 1; i <= count; ++i) out.push({ value: i, text: i + ' ' + names(i - 1) });
    return out;
  }

  function buildEditor() {
    var b = chosen;
    editor.textContent = '';
    var bank = partial(b);
    var nameInput = el('input', { type: 'text', cls: 'name', maxlength: String(M.NAME_LENGTHS.bank),
      value: bank.stored ? bank.name : '', placeholder: 'Name', 'aria-label': 'Partial preset ' + (b + 1) + ' name' });
    nameInput.addEventListener('input', function () {
      if (partial(b).stored) { partial(b).name = M.cutName(nameInput.value, M.NAME_LENGTHS.bank, ''); P.edited(6, b); }
    });
    var store = button('Store', 'accent', function () {
      var name = nameInput.value.trim() || 'Partial ' + (b + 1);
      var doStore = function () {
        P.ownStep(6, b, function () { B.storePartial(partial(b), app.data.current, name, selection); });
        choose(b);
      };
      if (partial(b).stored) {
        P.ask({ title: 'Overwrite partial preset ' + (b + 1) + ' “' + partial(b).name + '”?',
          text: 'It then holds ' + describe(selection) + ' from the current settings.', confirm: 'Overwrite', done: doStore });
      } else {
        doStore();
      }
    });
    var recall = button('Recall', 'plain', function () {
      P.ask({ title: 'Recall partial preset ' + (b + 1) + ' “' + partial(b).name + '”?',
        text: 'Only what it holds changes: ' + summary(partial(b)) + '.', confirm: 'Recall',
        done: function () { P.ownStep(7, 0, function () { return B.recallPartial(app.data.current, partial(b)); }); } });
    });
    var clear = button('Clear', 'plain', function () {
      P.ask({ title: 'Clear partial preset ' + (b + 1) + ' “' + partial(b).name + '”?', confirm: 'Clear',
        done: function () {
          P.ownStep(6, b, function () { app.data.partials[b] = B.clearPartial(); });
          choose(b);
        } });
    });
    recall.disabled = !bank.stored;
    clear.disabled = !bank.stored;
    var inputName = function (i) { return app.data.current.inputs[i].name; };
    var outputName = function (i) { return app.data.current.outputs[i].name; };
    editor.appendChild(el('div', { cls: 'detail-head' }, [el('span', { cls: 'detail-title', text: 'Partial preset ' + (b + 1) }), nameInput]));
    editor.appendChild(picker('Channels', numbers(M.INPUTS, inputName), 'inputs'));
    editor.appendChild(picker('Channel parameters', B.INPUT_GROUPS.map(function (g) { return { value: g.id, text: g.label }; }), 'inputGroups'));
    editor.appendChild(picker('Outputs', numbers(M.OUTPUTS, outputName), 'outputs'));
    editor.appendChild(picker('Output parameters', B.OUTPUT_GROUPS.map(function (g) { return { value: g.id, text: g.label }; }), 'outputGroups'));
    editor.appendChild(el('p', { cls: 'selection-summary' }));
    editor.appendChild(el('div', { cls: 'row buttons' }, [store, recall, clear]));
  }

  function describe(sel) {
    var parts = [];
    if (sel.inputs.length && sel.inputGroups.length) parts.push('channels ' + sel.inputs.slice().sort(function (a, b) { return a - b; }).join(', ') + ' (' + groupNames(B.INPUT_GROUPS, sel.inputGroups) + ')');
    if (sel.outputs.length && sel.outputGroups.length) parts.push('outputs ' + sel.outputs.slice().sort(function (a, b) { return a - b; }).join(', ') + ' (' + groupNames(B.OUTPUT_GROUPS, sel.outputGroups) + ')');
    return parts.join(' and ') || 'nothing';
  }

  function buildPartials(node) {
    var list = el('div', { cls: 'bank-list partials', role: 'listbox', 'aria-label': 'Partial presets' });
    for (var b = 0; b < M.PARTIAL_BANKS; ++b) {
      (function (b) {
        var row = el('button', { type: 'button', cls: 'partial-row', onclick: function () { choose(b); } });
        row.addEventListener('keydown', function (e) {
          var step = e.key === 'ArrowDown' ? 1 : e.key === 'ArrowUp' ? -1 : 0;
          if (!step) return;
          var next = (b + step + M.PARTIAL_BANKS) % M.PARTIAL_BANKS;
          choose(next);
          partialRows[next].row.focus();
          e.preventDefault();
        });
        var name = el('span', { cls: 'bank-name' });
        var info = el('span', { cls: 'bank-summary' });
        row.appendChild(el('span', { cls: 'bank-number', text: String(b + 1) }));
        row.appendChild(name);
        row.appendChild(info);
        partialRows[b] = { row: row, name: name, info: info };
        list.appendChild(row);
      }(b));
    }
    editor = el('div', { cls: 'detail partial-editor' });
    node.appendChild(el('p', { cls: 'section-help', text: 'A partial preset holds some channels and outputs, ' +
      'and only the parameters you choose; recalling it leaves everything else as it is.' }));
    node.appendChild(el('div', { cls: 'partial-layout' }, [list, editor]));
    choose(0);
  }

  function refreshPartials() {
    if (!editor) return;
    partialRows.forEach(function (r, b) {
      var bank = partial(b);
      r.row.classList.toggle('stored', bank.stored);
      r.row.classList.toggle('selected', b === chosen);
      r.row.setAttribute('aria-selected', b === chosen ? 'true' : 'false');
      r.name.textContent = bank.stored ? bank.name || '(no name)' : '—';
      r.info.textContent = summary(bank);
    });
    var line = editor.querySelector('.selection-summary');
    if (line) line.textContent = 'Store keeps ' + describe(selection) + '.';
  }

  P.section({
    id: 'partial', title: 'Partial presets', build: buildPartials, refresh: refreshPartials,
    reloaded: function (type, bank) { if (type === 6 && bank === chosen) choose(bank); }
  });
}(this));
