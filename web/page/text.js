// Pure helpers the page's parts share: numbers and bytes as people read
// them, where lines start, and the ids of the rules on the page.
(function (pg) {
  'use strict';

  const grouped = (n) => n.toLocaleString('en-US');
  const plural = (n, one, many) => `${grouped(n)} ${n === 1 ? one : many}`;
  const signed = (n) => (n > 0 ? '+' + n : String(n));

  // Bytes (a string of one character per byte) as people can read them:
  // a CR, a tab and spaces at the end shown by their pictures, other
  // control bytes and bytes beyond ASCII as \xHH.
  function visible(bytes) {
    const end = bytes.replace(/ +$/, '').length;
    let out = '';
    for (let i = 0; i < bytes.length; ++i) {
      const code = bytes.charCodeAt(i);
      if (code === 13) {
        out += '␍';
      } else if (code === 9) {
        out += '␉';
      } else if (code === 32 && i >= end) {
        out += '␠';
      } else if (code < 32 || code >= 127) {
        out += '\\x' + code.toString(16).toUpperCase().padStart(2, '0');
      } else {
        out += bytes[i];
      }
    }
    return out;
  }

  // Where each line of a text starts.
  function lineStarts(text) {
    let lines = 0;
    for (let at = text.indexOf('\n'); at >= 0; at = text.indexOf('\n', at + 1)) {
      ++lines;
    }
    const starts = new Uint32Array(lines + 1);
    let line = 1;
    for (let at = text.indexOf('\n'); at >= 0; at = text.indexOf('\n', at + 1)) {
      starts[line++] = at + 1;
    }
    return starts;
  }

  // The line, from 0, that holds the character at `offset`.
  function lineOf(starts, offset) {
    let low = 0;
    let high = starts.length - 1;
    while (low < high) {
      const middle = (low + high + 1) >> 1;
      if (starts[middle] <= offset) {
        low = middle;
      } else {
        high = middle - 1;
      }
    }
    return low;
  }

  // The id of a rule on the page (rules.js): its section's number and its
  // name, as docs/behaviour.md sets it in bold.
  function ruleId(section, rule) {
    const slug = rule.toLowerCase().replace(/[^a-z0-9]+/g, '-').replace(/^-|-$/g, '');
    return `rule-${section.split('.')[0]}-${slug}`;
  }

  Object.assign(pg, { grouped, plural, signed, visible, lineStarts, lineOf, ruleId });
})(globalThis.Playground = globalThis.Playground || {});
