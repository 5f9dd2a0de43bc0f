// The page's state lives in its URL fragment, so that a link reproduces it:
// "#s=" the script's bytes, compressed with raw DEFLATE and written in
// base64url without padding, then "&step=N" (the step shown, from 1) or
// "&step=last", and "&twin=1" when the textbook twin is shown.
(function (pg) {
  'use strict';

  function toBase64url(bytes) {
    let binary = '';
    for (let at = 0; at < bytes.length; at += 0x8000) {
      binary += String.fromCharCode.apply(null, bytes.subarray(at, at + 0x8000));
    }
    return btoa(binary).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
  }

  function fromBase64url(text) {
    const base64 = text.replace(/-/g, '+').replace(/_/g, '/');
    const binary = atob(base64 + '='.repeat((4 - (base64.length % 4)) % 4));
    const bytes = new Uint8Array(binary.length);
    for (let i = 0; i < binary.length; ++i) {
      bytes[i] = binary.charCodeAt(i);
    }
    return bytes;
  }

  // The bytes through a compression or decompression stream, or null as
  // soon as the result passes `most` bytes: the rest is not worked on.
  // Throws as the stream does on data it cannot take.
  async function transformed(bytes, transform, most) {
    const reader = new Blob([bytes]).stream().pipeThrough(transform).getReader();
    const chunks = [];
    let size = 0;
    for (;;) {
      const { done, value } = await reader.read();
      if (done) {
        break;
      }
      size += value.length;
      if (size > most) {
        reader.cancel().catch(() => {});
        return null;
      }
      chunks.push(value);
    }
    const all = new Uint8Array(size);
    let at = 0;
    for (const chunk of chunks) {
      all.set(chunk, at);
      at += chunk.length;
    }
    return all;
  }

  pg.share = {
    // The script for a link, or null when its link would be longer than
    // `limit` characters.
    async encode(bytes, limit = Infinity) {
      const compressed = await transformed(bytes, new CompressionStream('deflate-raw'),
        Math.floor(limit * 3 / 4));
      return compressed === null ? null : toBase64url(compressed);
    },

    // {bytes} of the script, or {error} saying why the text holds none.
    // Expanding stops at `most` bytes: a few kilobytes of a link can
    // stand for gigabytes.
    async decode(text, most = pg.share.mostLinkBytes) {
      text = text.replace(/=+$/, '');
      if (!/^[A-Za-z0-9_-]*$/.test(text) || text.length % 4 === 1) {
        return { error: 'its script is not written in base64url' };
      }
      let bytes;
      try {
        bytes = await transformed(fromBase64url(text), new DecompressionStream('deflate-raw'), most);
      } catch (error) {
        return { error: 'its script is cut short or damaged: it is no whole raw DEFLATE stream' };
      }
      return bytes ? { bytes } : { error: `its script would be more than ${most / 1048576} MB; ` +
        'open so large a script as a file instead' };
    },

    // The most a link's script may expand to.
    mostLinkBytes: 64 * 1048576,

    // {script, step, twin} from a fragment; script and step may be null.
    // step is a number from 0, or 'last'.
    parse(hash) {
      const fields = new URLSearchParams(hash.replace(/^#/, ''));
      const step = fields.get('step');
      return {
        script: fields.get('s'),
        step: step === 'last' ? 'last' : /^\d+$/.test(step || '') ? Number(step) : null,
        twin: fields.get('twin') === '1',
      };
    },

    fragment(encoded, step, twin = false) {
      return '#s=' + encoded + '&step=' + step + (twin ? '&twin=1' : '');
    },
  };
})(globalThis.Playground = globalThis.Playground || {});
