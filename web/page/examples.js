// The examples the page comes with, and scripts opened from files: a
// scenario file opens as its input, and a script that is an example's,
// however it came (a reopened link, say), is named as that example.
(function (pg) {
  'use strict';

  const bytesOf = (base64) => Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));

  // A file's script: a scenario file's input, or the bytes themselves.
  pg.scriptOf = (engine, bytes, name) => {
    if (/\.scn$/.test(name || '')) {
      try {
        return engine.scenario(bytes) || bytes;
      } catch (error) {
        return bytes;
      }
    }
    return bytes;
  };

  // The index of the example whose script these bytes are, or null.
  let scripts = null;
  pg.exampleOf = (engine, bytes) => {
    scripts = scripts || pg.examples.map((example) =>
      pg.scriptOf(engine, bytesOf(example.bytes), example.file));
    const index = scripts.findIndex((script) =>
      script.length === bytes.length && script.every((byte, i) => byte === bytes[i]));
    return index >= 0 ? index : null;
  };

  pg.exampleBytes = (index) => bytesOf(pg.examples[index].bytes);
})(globalThis.Playground = globalThis.Playground || {});
