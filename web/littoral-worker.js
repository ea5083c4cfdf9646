// Runs one storm table at a time for the page (littoral-api.js), so that a long table leaves the
// page responsive. A request is the table, as a Blob (a file), as bytes or as a text; the worker
// reads it in pieces and hands the result table back in pieces: as a Blob built from them, whose
// bytes the browser keeps outside the worker, or as the pieces themselves (ArrayBuffers, quicker
// to hand over) up to a given length, each sent as soon as it is written, so that the page takes
// it in while the next is computed. It answers with progress and piece messages and then the
// result or a failure.
importScripts('littoral-wasm.js');

const modulePromise = createLittoralModule();

// The size of the pieces read from a Blob, as the table command reads a file.
const PIECE_BYTES = 4 << 20;
// The UTF-16 code units of a text that are encoded as one piece: at most three bytes each.
const TEXT_PIECE_UNITS = 256 << 10;
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

function isHighSurrogate(unit) {
  return (unit & 0xfc00) === 0xd800;
}

function isLowSurrogate(unit) {
  return (unit & 0xfc00) === 0xdc00;
}

// The length of a text in UTF-8, as TextEncoder.encode would write it: a lone surrogate is
// written as U+FFFD, three bytes.
function utf8Length(text) {
  if (/^[\x00-\x7f]*$/.test(text)) return text.length;
  let length = 0;
  for (let i = 0; i < text.length; ++i) {
    const unit = text.charCodeAt(i);
    if (unit < 0x80) length += 1;
    else if (unit < 0x800) length += 2;
    else if (isHighSurrogate(unit) && isLowSurrogate(text.charCodeAt(i + 1))) {
      length += 4;
      ++i;
    } else length += 3;
  }
  return length;
}

// A function that returns the next piece of the table as a Uint8Array (an empty one at the end),
// or a text that says why it cannot be read; it adds the time it spends reading a Blob or
// encoding a text to timing.reading (milliseconds).
function pieceReader(table, timing) {
  let at = 0;
  if (typeof table === 'string') {
    // UTF-8, as TextEncoder.encode would have it, into one buffer that the calculator copies
    // from before it asks for the next piece. A piece never ends between the two halves of a
    // surrogate pair, which encode as one character.
    const encoder = new TextEncoder();
    const buffer = new Uint8Array(3 * TEXT_PIECE_UNITS);
    return () => {
      const started = performance.now();
      let end = Math.min(table.length, at + TEXT_PIECE_UNITS);
      if (end < table.length && isHighSurrogate(table.charCodeAt(end - 1))) --end;
      const { written } = encoder.encodeInto(table.substring(at, end), buffer);
      at = end;
      timing.reading += performance.now() - started;
      return buffer.subarray(0, written);
    };
  }
  if (table instanceof Uint8Array) {
    return () => {
      const piece = table.subarray(at, at + PIECE_BYTES);
      at += piece.length;
      return piece;
    };
  }
  const reader = new FileReaderSync();
  return () => {
    const started = performance.now();
    try {
      const end = Math.min(table.size, at + PIECE_BYTES);
      const piece = new Uint8Array(reader.readAsArrayBuffer(table.slice(at, end)));
      at = end;
      return piece;
    } catch (error) {
      return `the table could not be read: ${describe(error)}`;
    } finally {
      timing.reading += performance.now() - started;
    }
  };
}

// Where the result's pieces go: Blobs kept for the result, or ArrayBuffers sent to the page one
// by one (`piece` messages), up to `limit` bytes in all. add(bytes) returns an empty text, or one
// that says why the piece is refused.
function resultPieces(output, limit) {
  const pieces = [];
  let length = 0;
  return {
    pieces,
    add(bytes) {
      if (output === 'blob') {
        pieces.push(new Blob([bytes]));
        return '';
      }
      length += bytes.length;
      if (length > limit) return `the result table is longer than ${limit} bytes`;
      const piece = bytes.slice().buffer;
      self.postMessage({ kind: 'piece', piece }, [piece]);
      return '';
    },
  };
}

// The length of the table in bytes.
function tableBytes(table) {
  if (typeof table === 'string') return utf8Length(table);
  return table instanceof Uint8Array ? table.length : table.size;
}

// Runs the table and returns { outcome }, with the blob for output 'blob', and with what the page
// shows of the result when `summary` is true; outcome.seconds is the time the run took, without
// reading the table.
function runTable(module, request) {
  const { table, summary, output, limit } = request;
  const timing = { reading: 0 };
  const result = resultPieces(output, limit);
  const bytesTotal = tableBytes(table);
  let told = -Infinity;
  const started = performance.now();
  const run = module.runTablePieces(pieceReader(table, timing), (bytes) => result.add(bytes), (rows, bytesRead) => {
    const now = performance.now();
    if (now - told < PROGRESS_MILLISECONDS) return;
    told = now;
    self.postMessage({ kind: 'progress', progress: { rows, bytesRead, bytesTotal } });
  }, Boolean(summary));
  if (run.failure) throw new Error(run.failure);
  run.outcome.seconds = (performance.now() - started - timing.reading) / 1000;
  if (output === 'blob') run.blob = new Blob(result.pieces, { type: 'text/csv' });
  return run;
}

self.onmessage = async (event) => {
  try {
    const module = await modulePromise;
    const result = runTable(module, event.data);
    self.postMessage({ kind: 'done', result });
  } catch (error) {
    self.postMessage({ kind: 'failed', error: describe(error) });
  }
};
