// Runs storm tables for the page (littoral-api.js), so that a long table leaves the page
// responsive: each request is the table's bytes, answered with progress messages and then the
// result.
importScripts('littoral-wasm.js');

const modulePromise = createLittoralModule();

self.onmessage = async (event) => {
  const { id, bytes, summary } = event.data;
  try {
    const module = await modulePromise;
    const result = module.runTableBytes(bytes, (rows, bytesRead) => {
      self.postMessage({ id, kind: 'progress', progress: { rows, bytesRead, bytesTotal: bytes.length } });
    }, Boolean(summary));
    self.postMessage({ id, kind: 'done', result }, [result.bytes.buffer]);
  } catch (error) {
    self.postMessage({ id, kind: 'failed', error: String((error && error.message) || error) });
  }
};
