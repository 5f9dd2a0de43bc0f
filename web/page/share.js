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

  async function through(bytes, transform) {
    const stream = new Blob([bytes]).stream().pipeThrough(transform);
    return new Uint8Array(await new Response(stream).arrayBuffer());
  }

  // The bytes deflated, or null as soon as they pass `most` bytes: the
  // rest is not compressed.
  async function deflated(bytes, most) {
    const reader = new Blob([bytes]).stream()
      .pipeThrough(new CompressionStream('deflate-raw')).getReader();
    const chunks = [];
    let size = 0;
    for (;;) {
      const { done, value } = await reader.read();
      if (done) {
        break;
      }
      size += value.length;
      if (size > most) {
        await reader.cancel();
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
      const compressed = await deflated(bytes, Math.floor(limit * 3 / 4));
      return compressed === null ? null : toBase64url(compressed);
    },

    // The script's bytes, or null when the text is not one.
    async decode(text) {
      try {
        return await through(fromBase64url(text), new DecompressionStream('deflate-raw'));
      } catch (error) {
        return null;
      }
    },

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
