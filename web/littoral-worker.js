// Runs one storm table at a time for the page (littoral-api.js), so that a long table leaves the
// page responsive. A request is the table as a Blob; the worker reads it in pieces and hands the
// result table back as a Blob built from pieces, so that its memory stays bounded whatever the
// table's size. It answers with progress messages and then the result or a failure.
importScripts('littoral-wasm.js');

const modulePromise = createLittoralModule();

// The size of the pieces read from a Blob, as the table command reads a file.
const PIECE_BYTES = 4 << 20;
// Progress is told at most this often, so that a fast table does not flood the page.
const PROGRESS_MILLISECONDS = 100;

// An error in words: a C++ exception that reached JavaScript has no message of its own.
function describe(error) {
  if (typeof WebAssembly.Exception === 'function' && error instanceof WebAssembly.Exception) {
    return 'the calculator stopped on an internal error';
  }
  if (error instanceof WebAssembly.RuntimeError) return `the calculator stopped: ${error.message}`;
  return String((error && error.message) || error);
}

// A function that returns the next piece of the blob as a Uint8Array (an empty one at the end),
// or a text that says why it cannot be read; it adds the time it spends reading to
// timing.reading (milliseconds).
function pieceReader(blob, timing) {
  const reader = new FileReaderSync();
  let at = 0;
  return () => {
    const started = performance.now();
    try {
      const end = Math.min(blob.size, at + PIECE_BYTES);
      const piece = new Uint8Array(reader.readAsArrayBuffer(blob.slice(at, end)));
      at = end;
      return piece;
    } catch (error) {
      return `the table could not be read: ${describe(error)}`;
    } finally {
      timing.reading += performance.now() - started;
    }
  };
}

// Runs the table and returns { blob, outcome }, with what the page shows of the result when
// `summary` is true; outcome.seconds is the time the run took, without reading the table.
function runTable(module, blob, summary) {
  const timing = { reading: 0 };
  const pieces = [];
  let told = -Infinity;
  const started = performance.now();
  const run = module.runTablePieces(pieceReader(blob, timing), (bytes) => {
    pieces.push(new Blob([bytes]));
    return '';
  }, (rows, bytesRead) => {
    const now = performance.now();
    if (now - told < PROGRESS_MILLISECONDS) return;
    told = now;
    self.postMessage({ kind: 'progress', progress: { rows, bytesRead, bytesTotal: blob.size } });
  }, summary);
  if (run.failure) throw new Error(run.failure);
  run.outcome.seconds = (performance.now() - started - timing.reading) / 1000;
  run.blob = new Blob(pieces, { type: 'text/csv' });
  return run;
}

self.onmessage = async (event) => {
  const { blob, summary } = event.data;
  try {
    const module = await modulePromise;
    self.postMessage({ kind: 'done', result: runTable(module, blob, summary) });
  } catch (error) {
    self.postMessage({ kind: 'failed', error: describe(error) });
  }
};
