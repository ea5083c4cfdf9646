// The littoral calculator for scripts: `littoral.runStorm(answers)` and
// `littoral.runTable(csv)` (with `runTableBlob` for a result of any size), all computed by the
// calculator's own code compiled to WebAssembly.
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
  // limit, the passes, the math error that ended it (`error`, empty when none) and the answer
  // behind it (`error_cause`), its `warnings` ("code: reason" items joined by "; "), and the
  // console's records for the same answers (`run.console`, `run.errors`, `run.status`).
  async function computeStorm(answers) {
    const module = await loadModule();
    return module.computeStorm(answers || {});
  }

  // The values of one storm, keyed by the column names of the storm table. The answers are keyed
  // by the table's input columns (gravity, depth, fetch, fetch_unit, wind_speed, speed_unit,
  // duration_h, rt, rl, local_depth, angle_deg, and optionally beach_slope and
  // settling_velocity); each is a number or a text read as the console reads it. The result
  // also holds the table's text columns units, passes, limited_by, error, warnings and
  // error_cause. Rejects with an AnswerError when an answer is not a number or is beyond the single-precision range.
  async function runStorm(answers) {
    const storm = await computeStorm(answers);
    if (!storm.valid) throw new AnswerError(storm.problems);
    const result = { units: storm.units, passes: storm.passes, limited_by: storm.limited_by };
    Object.assign(result, storm.values);
    result.error = storm.error;
    result.warnings = storm.warnings;
    result.error_cause = storm.error_cause;
    return result;
  }

  // The columns of the storm table, as `littoral table --columns` lists them: for each input
  // column and then each result column, { column, kind ('input' or 'result'), si_unit, us_unit,
  // us_to_si (a US row's value times this is in the SI unit), description }. Units are ASCII
  // (m, ft, m/s, kg/m3, yd3, m3, deg, '-' for none; an input whose unit another column gives
  // names that column).
  let catalogPromise = null;
  function columns() {
    if (catalogPromise === null) catalogPromise = loadModule().then((module) => module.columnCatalog());
    return catalogPromise;
  }

  // Table workers: one per run, so that a run can be cancelled by ending its worker; one that
  // finished is kept for the next run.
  let idleWorker = null;

  function takeWorker() {
    const worker = idleWorker || new Worker(base + 'littoral-worker.js');
    idleWorker = null;
    return worker;
  }

  function releaseWorker(worker) {
    if (idleWorker === null) idleWorker = worker;
    else worker.terminate();
  }

  // Why a run was cancelled, as fetch tells it: the signal's reason, an AbortError by default.
  function abortReason(signal) {
    return signal.reason !== undefined ? signal.reason : new DOMException('The table run was cancelled.', 'AbortError');
  }

  // The table as the worker takes it: a Blob as it is, read in pieces by the worker; a text as
  // it is, encoded by the worker a piece at a time; anything else as a copy of its bytes, handed
  // over whole.
  function tableInput(input) {
    if (input instanceof Blob || typeof input === 'string') return input;
    if (input instanceof ArrayBuffer) return new Uint8Array(input.slice(0));
    if (ArrayBuffer.isView(input)) return new Uint8Array(input.buffer.slice(input.byteOffset, input.byteOffset + input.byteLength));
    throw new TypeError('runTable takes a text, an ArrayBuffer, a typed array or a Blob');
  }

  // Runs a table in a worker of its own (see littoral-worker.js for `output` and `limit`), ended
  // when options.signal aborts; options.onPiece takes each piece of a result in buffers as it
  // comes.
  function runInWorker(input, options, output, limit) {
    const { onProgress, onPiece, signal, summary } = options || {};
    return new Promise((resolve, reject) => {
      if (signal && signal.aborted) throw abortReason(signal);
      const table = tableInput(input);
      const worker = takeWorker();
      let ended = false;
      // Ends the run once: false when it has already ended.
      const end = (keepWorker) => {
        if (ended) return false;
        ended = true;
        if (signal) signal.removeEventListener('abort', cancel);
        if (keepWorker) releaseWorker(worker);
        else worker.terminate();
        return true;
      };
      const cancel = () => {
        if (end(false)) reject(abortReason(signal));
      };
      if (signal) signal.addEventListener('abort', cancel);
      worker.onmessage = (event) => {
        const message = event.data;
        if (ended) return;
        if (message.kind === 'piece') {
          onPiece(message.piece);
          return;
        }
        if (message.kind === 'progress') {
          if (onProgress) onProgress(message.progress);
          return;
        }
        end(message.kind === 'done');
        if (message.kind === 'done') resolve(message.result);
        else reject(new Error(message.error));
      };
      worker.onerror = (event) => {
        event.preventDefault();
        if (end(false)) reject(new Error(event.message || 'the table worker could not be started'));
      };
      const request = { table, summary: Boolean(summary), output, limit };
      worker.postMessage(request, table instanceof Uint8Array ? [table.buffer] : []);
    });
  }

  // A whole storm table in a worker of its own, read and written in pieces so that a table of
  // any size fits in bounded memory: the result's bytes are kept by the browser as a Blob. The
  // input is a text, an ArrayBuffer, a typed array or a Blob (a File). Resolves to
  // { blob, outcome }: the result table and how the run ended (end, rows, rowsWithError,
  // message, and seconds: the time the worker spent on the run, without reading the table or
  // waiting). With options.summary also what the page shows of it, read from the result as it is
  // written: preview (the first rows, at most 200 columns of each), columns (the count of
  // columns), idColumn (the table's id, case or storm column, if any), flagged (the first 100
  // rows with an error and the first 100 with warnings only, in order, each { row, line, id,
  // error, error_cause, warnings }, `line` being the row's first line in the table, the header
  // being line 1), rowsWithWarnings and series. options.onProgress receives { rows, bytesRead, bytesTotal } as
  // the rows are computed. options.signal, an AbortSignal, cancels the run: the promise then
  // rejects with the signal's reason (an AbortError DOMException unless another reason was
  // given), as fetch does.
  function runTableBlob(input, options) {
    return runInWorker(input, options, 'blob');
  }

  // The pieces (ArrayBuffers) one after another in one array.
  function joined(pieces) {
    const bytes = new Uint8Array(pieces.reduce((length, piece) => length + piece.byteLength, 0));
    let at = 0;
    for (const piece of pieces) {
      bytes.set(new Uint8Array(piece), at);
      at += piece.byteLength;
    }
    return bytes;
  }

  // runTableBlob with the result table's bytes as a Uint8Array (`bytes`) instead of a Blob.
  async function runTableBytes(input, options) {
    const pieces = [];
    const onPiece = (piece) => pieces.push(piece);
    const table = await runInWorker(input, { ...options, onPiece }, 'buffers', Infinity);
    return { bytes: joined(pieces), ...table };
  }

  // The longest text a browser holds: V8's limit, in UTF-16 code units (about 512 MiB).
  const MAX_TEXT_LENGTH = (1 << 29) - 24;

  // The result table of a storm table, as text: the same bytes as `littoral table` writes for the
  // same input. Rejects when the table has no usable header or cannot be read; with a RangeError,
  // as soon as the result is longer than a text can be (runTableBlob returns any result); and as
  // runTableBlob does when options.signal cancels it.
  async function runTable(input, options) {
    const { onProgress, signal } = options || {};
    // Each piece is decoded as it comes, while the worker computes the next. A piece ends where a
    // write of the run ends, after a line end, so it decodes alone as it does within the whole
    // (a decoder fed pieces in its streaming mode writes a slower, wider text).
    const decoder = new TextDecoder();
    const texts = [];
    const onPiece = (piece) => texts.push(decoder.decode(piece));
    const { outcome } = await runInWorker(input, { onProgress, onPiece, signal }, 'buffers', MAX_TEXT_LENGTH);
    if (outcome.end === 'unreadable' || outcome.end === 'readFailed') throw new Error(outcome.message);
    if (outcome.end === 'writeFailed') {
      throw new RangeError(`${outcome.message}, more than a text can hold: littoral.runTableBlob returns it as a Blob`);
    }
    return texts.join('');
  }

  global.littoral = {
    ready: () => loadModule().then(() => undefined),
    columns,
    computeStorm,
    runStorm,
    runTable,
    runTableBlob,
    runTableBytes,
    AnswerError,
  };
})(self);
