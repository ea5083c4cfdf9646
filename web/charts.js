// Small SVG charts for the page: bars for the height classes of a storm, points and a line for a
// table of storms. Each chart is a figure with a caption, and its SVG has a title and a
// description for screen readers.
(function (global) {
  'use strict';

  const SVG = 'http://www.w3.org/2000/svg';
  const WIDTH = 420;
  const HEIGHT = 240;
  const MARGIN = { top: 16, right: 16, bottom: 44, left: 64 };

  function element(name, attributes, text) {
    const node = document.createElementNS(SVG, name);
    for (const [key, value] of Object.entries(attributes || {})) node.setAttribute(key, value);
    if (text !== undefined) node.textContent = text;
    return node;
  }

  // About five round steps that cover [low, high].
  function ticks(low, high) {
    if (!(high > low)) {
      const pad = Math.abs(low) > 0 ? Math.abs(low) / 2 : 1;
      low -= pad;
      high += pad;
    }
    const rough = (high - low) / 5;
    const power = Math.pow(10, Math.floor(Math.log10(rough)));
    const step = [1, 2, 5, 10].map((m) => m * power).find((s) => s >= rough);
    const first = Math.floor(low / step) * step;
    const values = [];
    for (let v = first; v <= high + step * 1e-9; v += step) values.push(Math.abs(v) < step * 1e-9 ? 0 : v);
    if (values[values.length - 1] < high) values.push(values[values.length - 1] + step);
    return values;
  }

  function tickText(value) {
    const size = Math.abs(value);
    if (size !== 0 && (size >= 1e5 || size < 1e-3)) return value.toExponential(1);
    return String(Number(value.toPrecision(6)));
  }

  // The frame of a chart: the figure, the SVG with its axes, and the scales of both axes.
  function frame(container, options, xRange, yRange) {
    const figure = document.createElement('figure');
    figure.className = 'chart';
    const svg = element('svg', {
      viewBox: `0 0 ${WIDTH} ${HEIGHT}`,
      role: 'img',
      'aria-labelledby': options.id + '-title ' + options.id + '-desc',
    });
    svg.appendChild(element('title', { id: options.id + '-title' }, options.title));
    svg.appendChild(element('desc', { id: options.id + '-desc' }, options.description));
    const plotWidth = WIDTH - MARGIN.left - MARGIN.right;
    const plotHeight = HEIGHT - MARGIN.top - MARGIN.bottom;
    const yTicks = ticks(yRange[0], yRange[1]);
    const yLow = yTicks[0];
    const yHigh = yTicks[yTicks.length - 1];
    const y = (v) => MARGIN.top + plotHeight * (1 - (v - yLow) / (yHigh - yLow));
    let x = null;
    let xTicks = [];
    if (xRange) {
      xTicks = ticks(xRange[0], xRange[1]);
      const xLow = xTicks[0];
      const xHigh = xTicks[xTicks.length - 1];
      x = (v) => MARGIN.left + plotWidth * ((v - xLow) / (xHigh - xLow));
    }
    const axes = element('g', { class: 'axes' });
    for (const value of yTicks) {
      axes.appendChild(element('line', { x1: MARGIN.left, x2: WIDTH - MARGIN.right, y1: y(value), y2: y(value), class: 'grid' }));
      axes.appendChild(element('text', { x: MARGIN.left - 6, y: y(value) + 4, 'text-anchor': 'end' }, tickText(value)));
    }
    for (const value of xTicks) {
      axes.appendChild(element('text', { x: x(value), y: HEIGHT - MARGIN.bottom + 16, 'text-anchor': 'middle' }, tickText(value)));
    }
    axes.appendChild(element('line', { x1: MARGIN.left, x2: MARGIN.left, y1: MARGIN.top, y2: HEIGHT - MARGIN.bottom, class: 'axis' }));
    axes.appendChild(element('line', { x1: MARGIN.left, x2: WIDTH - MARGIN.right, y1: y(Math.max(yLow, Math.min(0, yHigh))), y2: y(Math.max(yLow, Math.min(0, yHigh))), class: 'axis' }));
    axes.appendChild(element('text', { x: MARGIN.left + plotWidth / 2, y: HEIGHT - 6, 'text-anchor': 'middle', class: 'label' }, options.xLabel));
    axes.appendChild(element('text', { x: 12, y: MARGIN.top + plotHeight / 2, 'text-anchor': 'middle', class: 'label', transform: `rotate(-90 12 ${MARGIN.top + plotHeight / 2})` }, options.yLabel));
    svg.appendChild(axes);
    const caption = document.createElement('figcaption');
    caption.textContent = options.title;
    figure.appendChild(caption);
    figure.appendChild(svg);
    container.appendChild(figure);
    return { svg, x, y, plotWidth, zero: y(Math.max(yLow, Math.min(0, yHigh))) };
  }

  function finite(values) {
    return values.filter((v) => Number.isFinite(v));
  }

  function range(values) {
    const list = finite(values);
    if (list.length === 0) return [0, 1];
    return [Math.min(0, ...list), Math.max(0, ...list)];
  }

  // Bars, one per label, from zero; a value that is not finite has no bar.
  function barChart(container, options) {
    const { svg, y, plotWidth, zero } = frame(container, options, null, range(options.values));
    const slot = plotWidth / options.values.length;
    options.values.forEach((value, i) => {
      const left = MARGIN.left + slot * i;
      svg.appendChild(element('text', { x: left + slot / 2, y: HEIGHT - MARGIN.bottom + 16, 'text-anchor': 'middle' }, options.labels[i]));
      if (!Number.isFinite(value)) return;
      const top = Math.min(y(value), zero);
      const bar = element('rect', { x: left + slot * 0.2, y: top, width: slot * 0.6, height: Math.max(Math.abs(zero - y(value)), 0.5), class: 'bar' });
      bar.appendChild(element('title', {}, `${options.labels[i]}: ${options.texts ? options.texts[i] : value}`));
      svg.appendChild(bar);
    });
  }

  // Groups of points (x, y), each with its label and its own mark in a legend; pairs that are not
  // finite are left out.
  function scatterChart(container, options) {
    const groups = options.groups.map((g) => ({ ...g, points: g.points.filter(([a, b]) => Number.isFinite(a) && Number.isFinite(b)) }))
      .filter((g) => g.points.length > 0);
    const all = groups.flatMap((g) => g.points);
    const { svg, x, y } = frame(container, options, range(all.map((p) => p[0])), range(all.map((p) => p[1])));
    groups.forEach((g, i) => {
      const group = element('g', { class: `points series-${i}` });
      for (const [a, b] of g.points) group.appendChild(element('circle', { cx: x(a).toFixed(1), cy: y(b).toFixed(1), r: 2.5 }));
      svg.appendChild(group);
      const legend = element('g', { class: `points series-${i}` });
      legend.appendChild(element('circle', { cx: MARGIN.left + 14, cy: MARGIN.top + 8 + 16 * i, r: 4 }));
      legend.appendChild(element('text', { x: MARGIN.left + 24, y: MARGIN.top + 12 + 16 * i }, g.label));
      svg.appendChild(legend);
    });
  }

  // A line through (x, y) in order; points that are not finite are left out.
  function lineChart(container, options) {
    const pairs = options.points.filter(([a, b]) => Number.isFinite(a) && Number.isFinite(b));
    const { svg, x, y } = frame(container, options, range(pairs.map((p) => p[0])), range(pairs.map((p) => p[1])));
    const path = pairs.map(([a, b], i) => (i === 0 ? 'M' : 'L') + x(a).toFixed(1) + ' ' + y(b).toFixed(1)).join(' ');
    if (path) svg.appendChild(element('path', { d: path, class: 'line' }));
  }

  global.littoralCharts = { barChart, scatterChart, lineChart };
})(self);
