// The page's state lives in its URL fragment, so that a link reproduces it:
// "#s=" the script's bytes, compressed with raw DEFLATE and written in
// base64url without padding, then "&step=N" (the step shown, from 1) or
// "&step=last".
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

  pg.share = {
    async encode(bytes) {
      return toBase64url(await through(bytes, new CompressionStream('deflate-raw')));
    },

    // The script's bytes, or null when the text is not one.
    async decode(text) {
      try {
        return await through(fromBase64url(text), new DecompressionStream('deflate-raw'));
      } catch (error) {
        return null;
      }
    },

    // {script, step} from a fragment; either may be null. step is a number
    // from 0, or 'last'.
    parse(hash) {
      const fields = new URLSearchParams(hash.replace(/^#/, ''));
      const step = fields.get('step');
      return {
        script: fields.get('s'),
        step: step === 'last' ? 'last' : /^\d+$/.test(step || '') ? Number(step) : null,
      };
    },

    fragment(encoded, step) {
      return '#s=' + encoded + '&step=' + step;
    },
  };
})(window.Playground = window.Playground || {});
