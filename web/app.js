// The page: the form of one storm with its values, charts and console records, and the storm
// table with its progress, preview, row errors, charts and download. Every number shown comes
// from the calculator (littoral-api.js); this file only places it.
(function () {
  'use strict';

  const $ = (id) => document.getElementById(id);

  const ANSWERS = ['gravity', 'depth', 'fetch_unit', 'fetch', 'speed_unit', 'wind_speed', 'duration_h',
    'rt', 'rl', 'local_depth', 'angle_deg', 'beach_slope', 'settling_velocity'];

  // The two sample storms of the user's guide.
  const SAMPLES = {
    si: { gravity: '9.81', depth: '10', fetch_unit: '4', fetch: '50', speed_unit: '2', wind_speed: '20', duration_h: '5',
      rt: '1', rl: '1', local_depth: '3', angle_deg: '30', beach_slope: '', settling_velocity: '1.5' },
    us: { gravity: '32.2', depth: '20', fetch_unit: '3', fetch: '10', speed_unit: '1', wind_speed: '50', duration_h: '5',
      rt: '1.1', rl: '1', local_depth: '8', angle_deg: '20', beach_slope: '', settling_velocity: '1.5' },
  };

  // The value rows of each group: the column and its label; the units come from the column
  // catalog (littoral.columns()).
  const HINDCAST = [
    ['density', 'Water density'],
    ['setup_ft', 'Wind setup'],
    ['setup_m', 'Wind setup'],
    ['ua', 'Adjusted wind speed U<sub>A</sub>'],
    ['fd', 'Fd, depth (last growth pass)'],
    ['ff', 'FF, fetch (last growth pass)'],
    ['ftd', 'Ftd, duration (last growth pass)'],
    ['effective_fetch', 'Effective fetch'],
    ['fhs', 'g H<sub>s</sub> / U<sub>A</sub>²'],
    ['fts', 'g T<sub>s</sub> / U<sub>A</sub>'],
    ['hs', 'Significant height H<sub>s</sub>'],
    ['ts', 'Significant period T<sub>s</sub>'],
  ];
  const TRANSFORMATION = [
    ['ks', 'Shoaling coefficient K<sub>s</sub>, offshore'],
    ['lo', 'Deep-water length L<sub>o</sub>'],
    ['co', 'Deep-water celerity C<sub>o</sub>'],
    ['l1', 'Length at the offshore depth L<sub>1</sub>'],
    ['c1', 'Celerity at the offshore depth C<sub>1</sub>'],
    ['surf_depth', 'Approximate surf depth'],
    ['s1', 'Sine of the angle typed'],
    ['so', 'Sine of the deep-water angle'],
    ['aor', 'Deep-water angle'],
    ['deep_angle', 'Deep-water angle'],
    ['kr', 'Refraction coefficient K<sub>r</sub>, offshore'],
    ['deep_height', 'Deep-water height'],
    ['local_angle', 'Local angle'],
    ['local_length', 'Local length'],
    ['local_height', 'Local height'],
    ['local_celerity', 'Local celerity'],
    ['group_ratio', 'Group ratio n, local'],
    ['ks_local', 'Shoaling coefficient K<sub>s</sub>, local'],
    ['kr_local', 'Refraction coefficient K<sub>r</sub>, local'],
    ['breaking_height', 'Breaking height'],
  ];
  const CLASS_COLUMNS = [
    ['class_share', 'Share of the waves'],
    ['class_exposure', 'Exposure, of a year'],
    ['class_transport_m3', 'Transport'],
    ['class_height', 'Height H'],
    ['class_flux', 'Energy flux'],
    ['class_rate', 'Console\'s class rate'],
  ];
  const TRANSPORT = [
    ['kpls', 'Transport coefficient K<sub>pls</sub>'],
    ['surf_current', 'Surf current'],
    ['storm_transport', 'Longshore transport of the storm'],
    ['storm_transport_m3', 'Longshore transport of the storm'],
  ];

  // The column catalog by column name, once the calculator is loaded.
  let catalog = new Map();

  // The catalog's ASCII units as the page writes them.
  const UNIT_TEXT = {
    'm/s2': 'm/s²', 'ft/s2': 'ft/s²', 'kg/m3': 'kg/m³', 'slug/ft3': 'slug/ft³', yd3: 'yd³', m3: 'm³',
    deg: '°', 'ft.lbf/s/ft': 'ft·lbf/s per ft', '-': '–',
  };

  function shownUnit(unit, other) {
    // A column with a unit in one system and none in the other is in no usable unit there.
    if (unit === '-' && other !== '-') return 'no usable unit';
    if (catalog.has(unit)) return `in ${unit}`;  // the unit is given by that column
    return UNIT_TEXT[unit] || unit;
  }

  // The unit of a column's values for the unit systems of its rows ('SI', 'US' or 'none'); an
  // empty text for a column the catalog does not know.
  function unitOf(name, systems) {
    const column = catalog.get(name);
    if (!column) return '';
    const si = shownUnit(column.si_unit, column.us_unit);
    const us = shownUnit(column.us_unit, column.si_unit);
    if (si === us) return si;
    const present = new Set(systems);
    if (present.size === 1 && present.has('SI')) return si;
    if (present.size === 1 && present.has('US')) return us;
    if (present.size === 1) return `${si} or ${us}`;  // no unit system: gravity of exactly 30
    return `SI: ${si}, US: ${us}`;
  }

  function valueCell(storm, name) {
    const cell = document.createElement('td');
    cell.className = 'number';
    cell.dataset.name = name;
    cell.textContent = name in storm.texts ? storm.texts[name] : '—';
    return cell;
  }

  function unitCell(text) {
    const cell = document.createElement('td');
    cell.className = 'unit';
    cell.textContent = text;
    return cell;
  }

  function fillValues(table, rows, storm) {
    table.replaceChildren();
    const body = document.createElement('tbody');
    for (const [name, label] of rows) {
      const row = document.createElement('tr');
      const head = document.createElement('th');
      head.scope = 'row';
      head.innerHTML = label;
      row.append(head, valueCell(storm, name), unitCell(unitOf(name, [storm.units])));
      body.appendChild(row);
    }
    table.appendChild(body);
  }

  function fillStatistics(table, storm) {
    table.replaceChildren();
    const unit = unitOf('offshore_hs', [storm.units]);
    const head = document.createElement('thead');
    head.innerHTML = `<tr><th scope="col" class="unit"></th><th scope="col">H<sub>rms</sub></th><th scope="col">H<sub>s</sub></th>` +
      '<th scope="col">H<sub>1/10</sub></th><th scope="col">H<sub>1/100</sub></th></tr>';
    head.querySelector('.unit').textContent = unit;
    const body = document.createElement('tbody');
    for (const [where, label] of [['offshore', 'Offshore'], ['local', 'Local']]) {
      const row = document.createElement('tr');
      const th = document.createElement('th');
      th.scope = 'row';
      th.textContent = label;
      row.appendChild(th);
      for (const statistic of ['hrms', 'hs', 'h10', 'h1']) row.appendChild(valueCell(storm, `${where}_${statistic}`));
      body.appendChild(row);
    }
    const hnso = document.createElement('tr');
    hnso.innerHTML = '<th scope="row">Deep-water H<sub>rms</sub></th>';
    hnso.appendChild(valueCell(storm, 'hnso'));
    hnso.lastChild.colSpan = 4;
    body.appendChild(hnso);
    table.append(head, body);
  }

  // The storm's totals, a table narrow enough for a phone, and the height classes' values in a
  // table of their own that scrolls sideways when it must.
  function fillTransport(storm) {
    const classes = $('class-values');
    classes.replaceChildren();
    $('transport-classes').hidden = !storm.transport;
    if (!storm.transport) {
      $('transport-values').innerHTML = '<tbody><tr><td>No settling velocity: the storm stops before the transport.</td></tr></tbody>';
      return;
    }
    fillValues($('transport-values'), TRANSPORT, storm);
    const head = document.createElement('thead');
    const headRow = document.createElement('tr');
    headRow.innerHTML = '<th scope="col">Class</th>';
    for (const [name, label] of CLASS_COLUMNS) {
      const th = document.createElement('th');
      th.scope = 'col';
      th.innerHTML = `${label}<br><span class="unit"></span>`;
      th.querySelector('.unit').textContent = unitOf(`${name}_1`, [storm.units]);
      headRow.appendChild(th);
    }
    head.appendChild(headRow);
    const body = document.createElement('tbody');
    for (let i = 1; i <= 4; ++i) {
      const row = document.createElement('tr');
      row.innerHTML = `<th scope="row">${i}</th>`;
      for (const [name] of CLASS_COLUMNS) row.appendChild(valueCell(storm, `${name}_${i}`));
      body.appendChild(row);
    }
    classes.append(head, body);
  }

  // The "code: reason" items of a warnings text.
  function warningItems(text) {
    return text ? text.split(/; (?=[a-z][a-z0-9_-]*: )/) : [];
  }

  // An item of a list: its warning's code in bold, then its reason.
  function warningItem(item) {
    const node = document.createElement('li');
    const at = item.indexOf(': ');
    const code = document.createElement('strong');
    code.textContent = at < 0 ? item : item.slice(0, at);
    node.append(code, at < 0 ? '' : item.slice(at));
    return node;
  }

  function showWarnings(storm) {
    const items = warningItems(storm.warnings);
    $('storm-warnings').replaceChildren(...items.map(warningItem));
    $('storm-warnings-box').hidden = items.length === 0;
  }

  function summaryOf(storm) {
    const parts = [];
    parts.push(storm.units === 'none' ? 'No unit system (gravity is exactly 30)' : `${storm.units} units`);
    if (storm.limited_by) parts.push(`${storm.limited_by}-limited growth`);
    parts.push(`${storm.passes} growth pass${storm.passes === 1 ? '' : 'es'}`);
    let text = parts.join(' · ') + '.';
    if (storm.error) text += ` The storm ended with ${storm.error}: the values after it are not computed.`;
    if (storm.error_cause) text += ` Its cause: ${storm.error_cause}.`;
    return text;
  }

  function stormCharts(storm) {
    const box = $('storm-charts');
    box.replaceChildren();
    if (!storm.transport || !('class_share_1' in storm.values)) return;
    const labels = ['1', '2', '3', '4'];
    const series = (name) => labels.map((i) => storm.values[`${name}_${i}`]);
    const texts = (name) => labels.map((i) => storm.texts[`${name}_${i}`] || '—');
    littoralCharts.barChart(box, {
      id: 'chart-shares', title: 'Share of the waves by height class',
      description: 'The Rayleigh share of each of the four height classes: ' + texts('class_share').join(', ') + '.',
      labels, values: series('class_share'), texts: texts('class_share'), xLabel: 'height class', yLabel: 'share',
    });
    if (!('class_transport_m3_1' in storm.values)) return;
    const unit = unitOf('class_transport_m3_1', [storm.units]);
    littoralCharts.barChart(box, {
      id: 'chart-transport', title: 'Transport by height class',
      description: `The transport of each of the four height classes in this storm, ${unit}: ` + texts('class_transport_m3').join(', ') + '.',
      labels, values: series('class_transport_m3'), texts: texts('class_transport_m3'), xLabel: 'height class', yLabel: unit,
    });
  }

  function showStorm(storm) {
    $('storm-summary').textContent = summaryOf(storm);
    fillValues($('hindcast-values'), HINDCAST, storm);
    fillValues($('transformation-values'), TRANSFORMATION, storm);
    fillStatistics($('statistics-values'), storm);
    fillTransport(storm);
    showWarnings(storm);
    for (const span of document.querySelectorAll('[data-unit="length"]')) span.textContent = unitOf('depth', [storm.units]);
    stormCharts(storm);
    $('console-text').textContent = storm.run.console + storm.run.errors;
    $('copy-message').textContent = '';
    $('storm-results').hidden = false;
  }

  // Marks an answer that is not a number, with its message beside it, or clears the mark.
  function markField(name, problem) {
    const input = $(name);
    const hint = name + '-hint';
    let message = $(name + '-error');
    if (problem) {
      if (!message) {
        message = document.createElement('span');
        message.id = name + '-error';
        message.className = 'error';
        input.parentNode.insertBefore(message, input.parentNode.querySelector('.hint'));
      }
      message.textContent = problem === 'no value' ? 'A number is needed here.' : `${problem[0].toUpperCase()}${problem.slice(1)}.`;
      input.setAttribute('aria-invalid', 'true');
      input.setAttribute('aria-describedby', `${name}-error ${hint}`);
    } else {
      if (message) message.remove();
      input.removeAttribute('aria-invalid');
      input.setAttribute('aria-describedby', hint);
    }
  }

  // "One answer is not a number", "2 answers are beyond the single-precision range", or both.
  function answersText(count, what, first) {
    if (count === 1) return `${first ? 'One answer is' : 'one is'} ${what}`;
    return `${count} ${first ? 'answers ' : ''}are ${what}`;
  }

  function invalidMessage(notNumbers, beyond) {
    const parts = [];
    if (notNumbers > 0) parts.push(answersText(notNumbers, 'not a number', true));
    if (beyond > 0) parts.push(answersText(beyond, 'beyond the single-precision range', parts.length === 0));
    return `${parts.join(' and ')}; nothing is computed until ${notNumbers + beyond === 1 ? 'it is' : 'they are'} corrected.`;
  }

  function formAnswers() {
    const answers = {};
    for (const name of ANSWERS) answers[name] = $(name).value;
    return answers;
  }

  async function computeForm(event) {
    if (event) event.preventDefault();
    const storm = await littoral.computeStorm(formAnswers());
    for (const name of ANSWERS) markField(name, storm.problems[name]);
    const invalid = ANSWERS.filter((name) => name in storm.problems);
    if (invalid.length > 0) {
      const beyond = invalid.filter((name) => littoral.AnswerError.isBeyondRange(storm.problems[name])).length;
      $('form-message').textContent = invalidMessage(invalid.length - beyond, beyond);
      $('storm-results').hidden = true;
      if (event && event.type === 'submit') $(invalid[0]).focus();
      return;
    }
    $('form-message').textContent = '';
    showStorm(storm);
  }

  function fillSample(name) {
    for (const [field, value] of Object.entries(SAMPLES[name])) $(field).value = value;
    computeForm();
  }

  async function copyConsole() {
    const text = $('console-text').textContent;
    try {
      await navigator.clipboard.writeText(text);
      $('copy-message').textContent = 'Copied.';
    } catch (error) {
      const range = document.createRange();
      range.selectNodeContents($('console-text'));
      const selection = window.getSelection();
      selection.removeAllRanges();
      selection.addRange(range);
      $('copy-message').textContent = 'Selected: press Ctrl+C to copy.';
    }
  }

  // --- the storm table ---

  let downloadUrl = null;

  function cell(tag, text) {
    const node = document.createElement(tag);
    node.textContent = text;
    return node;
  }

  // The first rows and columns of the result, and a note of how many there are when more exist.
  function showPreview(table) {
    const { preview, columns, outcome } = table;
    const box = $('table-preview');
    box.replaceChildren();
    $('preview-note').textContent = '';
    if (preview.length === 0) return;
    const head = document.createElement('thead');
    const headRow = document.createElement('tr');
    for (const name of preview[0]) {
      const th = cell('th', name);
      th.scope = 'col';
      headRow.appendChild(th);
    }
    head.appendChild(headRow);
    // Each column's unit for the unit systems of the rows shown, in a row of its own.
    const unitsAt = preview[0].indexOf('units');
    const systems = unitsAt < 0 ? [] : preview.slice(1).map((fields) => fields[unitsAt]);
    const unitRow = document.createElement('tr');
    unitRow.className = 'units';
    for (const name of preview[0]) unitRow.appendChild(cell('td', unitOf(name.trim(), systems)));
    head.appendChild(unitRow);
    const body = document.createElement('tbody');
    for (const fields of preview.slice(1)) {
      const row = document.createElement('tr');
      for (const field of fields) row.appendChild(cell('td', field));
      body.appendChild(row);
    }
    box.append(head, body);
    const shownRows = preview.length - 1;
    const shownColumns = preview[0].length;
    if (shownRows < outcome.rows || shownColumns < columns) {
      const count = (shown, all, what) => shown < all ? `the first ${shown.toLocaleString('en')} of ${all.toLocaleString('en')} ${what}` : `all ${all.toLocaleString('en')} ${what}`;
      $('preview-note').textContent = `Shown: ${count(shownRows, outcome.rows, 'rows')} and ${count(shownColumns, columns, 'columns')}; the download has them all.`;
    }
  }

  // Where a row is: its first line in the table, and its own name when the table has an id
  // column.
  function rowPlace(entry, idColumn) {
    const place = entry.line > 0 ? `Line ${entry.line}` : `Row ${entry.row}`;
    return idColumn && entry.id ? `${place}, ${idColumn} ${entry.id}` : place;
  }

  function flaggedItem(entry, idColumn) {
    const item = cell('li', `${rowPlace(entry, idColumn)}: `);
    if (entry.error) {
      item.append(cell('span', entry.error));
      if (entry.error_cause) item.append(cell('span', ` (cause: ${entry.error_cause})`));
      item.className = 'erred';
    }
    const warnings = warningItems(entry.warnings);
    if (warnings.length > 0) {
      if (entry.error) item.append('; ');
      item.append(cell('span', 'warnings:'));
      const list = document.createElement('ul');
      list.className = 'warnings';
      list.append(...warnings.map(warningItem));
      item.append(list);
    }
    return item;
  }

  // The rows with an error or warnings, in the order of the table.
  function showFlaggedRows(table) {
    const { flagged, idColumn, outcome, rowsWithWarnings } = table;
    const list = $('row-errors');
    list.replaceChildren(...flagged.map((entry) => flaggedItem(entry, idColumn)));
    const moreErrors = outcome.rowsWithError - flagged.filter((entry) => entry.error).length;
    const moreWarned = rowsWithWarnings - flagged.filter((entry) => entry.warnings).length;
    if (moreErrors > 0 || moreWarned > 0) {
      list.appendChild(cell('li', `… and ${moreErrors} more rows with an error and ${moreWarned} more with warnings; the download has them all.`));
    }
    $('row-errors-box').hidden = flagged.length === 0;
  }

  // The significant height against the period, in the SI unit when the table has SI runs (US
  // runs converted with the catalog's factor) and in feet when it has US runs only: never
  // metres and feet on one axis.
  function heightChart(box, series) {
    const hs = catalog.get('hs');
    const systems = new Set(series.units);
    const inFeet = systems.has('US') && !systems.has('SI');
    const unit = inFeet ? hs.us_unit : hs.si_unit;
    const points = (units, factor) => series.hs.map((height, i) => [series.ts[i], height * factor]).filter((p, i) => series.units[i] === units);
    const converted = `US runs, ${hs.us_unit} converted to ${hs.si_unit} (× ${hs.us_to_si})`;
    const groups = [{ label: `SI runs, ${hs.si_unit}`, points: points('SI', 1) },
      { label: inFeet ? `US runs, ${hs.us_unit}` : converted, points: points('US', inFeet ? 1 : hs.us_to_si) }];
    const note = systems.has('US') && !inFeet ? `; the US runs' heights converted from ${hs.us_unit} to ${hs.si_unit} (× ${hs.us_to_si})` : '';
    littoralCharts.scatterChart(box, {
      id: 'chart-hs-ts', title: 'Significant height against period',
      description: `The hindcast height hs (${unit}) against the period ts (s) of ${series.hs.length} storms${series.sampled ? ' (a sample of the rows)' : ''}${note}.`,
      groups, xLabel: 'ts (s)', yLabel: `hs (${unit})`,
    });
  }

  function tableCharts(series) {
    const box = $('table-charts');
    box.replaceChildren();
    heightChart(box, series);
    littoralCharts.lineChart(box, {
      id: 'chart-cumulative', title: 'Cumulative longshore transport over the rows',
      description: 'The running sum of storm_transport (yd³) from the first row to the last; rows without a transport add nothing.',
      points: series.cumulativeRows.map((row, i) => [row, series.cumulative[i]]), xLabel: 'row', yLabel: 'yd³',
    });
  }

  // The rows, the time they took (outcome.seconds: computing only), the row errors and the rows
  // with warnings.
  function tableSummary(table) {
    const { outcome, rowsWithWarnings } = table;
    const seconds = outcome.seconds;
    const rate = seconds > 0 ? `, ${Math.round(outcome.rows / seconds).toLocaleString('en')} rows/s` : '';
    const rows = (count) => `${count} row${count === 1 ? '' : 's'}`;
    const errors = outcome.rowsWithError === 0 ? 'no row errors' : `${rows(outcome.rowsWithError)} with an error`;
    const warned = rowsWithWarnings > 0 ? `; ${rows(rowsWithWarnings)} with warnings` : '';
    if (outcome.end === 'unreadable') return `The table could not be read: ${outcome.message}.`;
    let text = `${rows(outcome.rows)} computed in ${seconds.toFixed(2)} s${rate}; ${errors}${warned}.`;
    if (outcome.end !== 'complete') text += ` The table stopped early: ${outcome.message}`;
    return text;
  }

  // The run of the table being computed; a table chosen while another runs cancels that one.
  let running = null;

  function showResults(file, table) {
    downloadUrl = URL.createObjectURL(table.blob);
    const link = $('table-download');
    link.href = downloadUrl;
    link.download = file.name.replace(/\.csv$/i, '') + '-results.csv';
    showFlaggedRows(table);
    showPreview(table);
    tableCharts(table.series);
    $('table-results').hidden = false;
  }

  async function runTableFile(file) {
    if (running) running.abort();
    const run = new AbortController();
    running = run;
    // The earlier result goes before the new one is computed, and its memory with it.
    $('table-results').hidden = true;
    if (downloadUrl) URL.revokeObjectURL(downloadUrl);
    downloadUrl = null;
    $('table-summary').textContent = `Computing ${file.name}…`;
    $('table-progress-box').hidden = false;
    const progress = $('table-progress');
    progress.value = 0;
    $('table-progress-text').textContent = '';
    try {
      const table = await littoral.runTableBlob(file, {
        summary: true,
        signal: run.signal,
        onProgress: ({ rows, bytesRead, bytesTotal }) => {
          progress.value = bytesTotal > 0 ? bytesRead / bytesTotal : 1;
          $('table-progress-text').textContent = `${rows.toLocaleString('en')} rows`;
        },
      });
      if (running !== run) return;
      $('table-summary').textContent = tableSummary(table);
      if (table.outcome.end !== 'unreadable') showResults(file, table);
    } catch (error) {
      if (running !== run) return;  // a later table has the view
      $('table-summary').textContent = error.name === 'AbortError'
        ? `${file.name}: cancelled; nothing was kept.`
        : `The table could not be computed: ${error.message}`;
    } finally {
      if (running === run) {
        running = null;
        $('table-progress-box').hidden = true;
      }
    }
  }

  function setUpDropZone() {
    const zone = $('drop-zone');
    zone.addEventListener('dragover', (event) => {
      event.preventDefault();
      zone.classList.add('dragging');
    });
    zone.addEventListener('dragleave', () => zone.classList.remove('dragging'));
    zone.addEventListener('drop', (event) => {
      event.preventDefault();
      zone.classList.remove('dragging');
      const file = event.dataTransfer.files[0];
      if (file) runTableFile(file);
    });
    $('table-cancel').addEventListener('click', () => {
      if (running) running.abort();
      $('table-file').focus();
    });
    $('table-file').addEventListener('change', (event) => {
      const file = event.target.files[0];
      if (file) runTableFile(file);
    });
  }

  async function start() {
    $('storm-form').addEventListener('submit', computeForm);
    for (const button of document.querySelectorAll('[data-sample]')) {
      button.addEventListener('click', () => fillSample(button.dataset.sample));
    }
    $('copy-console').addEventListener('click', copyConsole);
    setUpDropZone();
    try {
      catalog = new Map((await littoral.columns()).map((column) => [column.column, column]));
      performance.mark('littoral-ready');
      $('status').textContent = 'Ready: type a storm or choose a table.';
      document.body.dataset.ready = 'true';
      fillSample('si');
    } catch (error) {
      $('status').textContent = `The calculator could not be loaded: ${error.message}`;
    }
  }

  start();
})();
