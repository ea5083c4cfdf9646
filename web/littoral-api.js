// The littoral calculator for scripts: `littoral.runStorm(answers)` and
// `littoral.runTable(csv)`, both computed by the calculator's own code compiled to WebAssembly.
// Load littoral-wasm.js before this file; both look for their other files (the .wasm and the
// table worker) beside themselves.
(function (global) {
  'use strict';

  const base = new URL('.', document.currentScript.src).href;

  // The module of the page, made on first use; a table runs in a worker with a module of its own,
  // so that the page stays responsive.
  let modulePromise = null;
  function loadModule() {
    if (modulePromise === null) {
      modulePromise = global.createLittoralModule({ locateFile: (file) => base + file });
    }
    return modulePromise;
  }

  // Answers that cannot be read: `problems` maps each such answer's name to the reason (the
  // table's complaint). The message names the answers that are not numbers and those beyond the
  // single-precision range.
  class AnswerError extends Error {
    constructor(problems) {
      const names = Object.keys(problems);
      const listed = (kind, beyond) => {
        const chosen = names.filter((name) => AnswerError.isBeyondRange(problems[name]) === beyond);
        if (chosen.length === 0) return [];
        return [kind + ': ' + chosen.map((name) => name + ' (' + problems[name] + ')').join(', ')];
      };
      super(listed('not a number', false).concat(listed('beyond the single-precision range', true)).join('; '));
      this.name = 'AnswerError';
      this.problems = problems;
    }

    // Whether a problem is a number beyond the single-precision range rather than no number.
    static isBeyondRange(problem) {
      return problem.endsWith('is beyond the single-precision range');
    }
  }

  // Everything about one storm: whether its answers are numbers (`valid`, `problems`), its values
  // as numbers (`values`) and as the console prints them (`texts`), the unit system, the growth
  // limit, the passes, the math error that ended it (`error`, empty when none), and the
  // console's records for the same answers (`run.console`, `run.errors`, `run.status`).
  async function computeStorm(answers) {
    const module = await loadModule();
    return module.computeStorm(answers || {});
  }

  // The values of one storm, keyed by the column names of the storm table. The answers are keyed
  // by the table's input columns (gravity, depth, fetch, fetch_unit, wind_speed, speed_unit,
  // duration_h, rt, rl, local_depth, angle_deg, and optionally beach_slope and
  // settling_velocity); each is a number or a text read as the console reads it. Rejects with an
  // AnswerError when an answer is not a number or is beyond the single-precision range.
  async function runStorm(answers) {
    const storm = await computeStorm(answers);
    if (!storm.valid) throw new AnswerError(storm.problems);
    const result = { units: storm.units, passes: storm.passes, limited_by: storm.limited_by };
    Object.assign(result, storm.values);
    result.error = storm.error;
    return result;
  }

  let worker = null;
  let nextRequest = 1;
  const requests = new Map();

  function tableWorker() {
    if (worker === null) {
      worker = new Worker(base + 'littoral-worker.js');
      worker.onmessage = (event) => {
        const message = event.data;
        const request = requests.get(message.id);
        if (request === undefined) return;
        if (message.kind === 'progress') {
          if (request.onProgress) request.onProgress(message.progress);
          return;
        }
        requests.delete(message.id);
        if (message.kind === 'done') request.resolve(message.result);
        else request.reject(new Error(message.error));
      };
      worker.onerror = (event) => {
        event.preventDefault();
        for (const request of requests.values()) request.reject(new Error(event.message));
        requests.clear();
      };
    }
    return worker;
  }

  // A whole storm table in the worker. The input is a text, an ArrayBuffer, a typed array or a
  // Blob (a File). Resolves to { bytes, outcome }: the result table's bytes and how the run ended
  // (end, rows, rowsWithError, message); with options.summary also what the page shows of it
  // (preview, errors, series), for which the worker reads the result again. options.onProgress
  // receives { rows, bytesRead, bytesTotal } as the rows are computed.
  async function runTableBytes(input, options) {
    let bytes;
    if (typeof input === 'string') bytes = new TextEncoder().encode(input);
    else if (input instanceof Blob) bytes = new Uint8Array(await input.arrayBuffer());
    else if (input instanceof ArrayBuffer) bytes = new Uint8Array(input.slice(0));
    else if (ArrayBuffer.isView(input)) bytes = new Uint8Array(input.buffer.slice(input.byteOffset, input.byteOffset + input.byteLength));
    else throw new TypeError('runTable takes a text, an ArrayBuffer, a typed array or a Blob');
    const id = nextRequest++;
    return new Promise((resolve, reject) => {
      requests.set(id, { resolve, reject, onProgress: options && options.onProgress });
      tableWorker().postMessage({ id, kind: 'table', bytes, summary: Boolean(options && options.summary) }, [bytes.buffer]);
    });
  }

  // The result table of a storm table, as text: the same bytes as `littoral table` writes for the
  // same input. Rejects when the table has no usable header or cannot be read.
  async function runTable(input, options) {
    const { bytes, outcome } = await runTableBytes(input, options);
    if (outcome.end === 'unreadable' || outcome.end === 'readFailed') throw new Error(outcome.message);
    return new TextDecoder().decode(bytes);
  }

  global.littoral = {
    ready: () => loadModule().then(() => undefined),
    computeStorm,
    runStorm,
    runTable,
    runTableBytes,
    AnswerError,
  };
})(self);
