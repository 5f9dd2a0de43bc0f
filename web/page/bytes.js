// A script's bytes as the editor shows them, and an edit of that text put
// back into bytes that keep every byte the edit did not touch. A text area
// cannot hold every byte: it turns a CR into a line break and shows a byte
// that is no UTF-8 as U+FFFD. So a CR not before a line feed shows as ␍, a
// CR LF as a line break and an ill-formed byte as U+FFFD, and each still
// stands for its own bytes as long as the edit leaves it alone.
(function (pg) {
  'use strict';

  const strict = new TextDecoder('utf-8', { fatal: true });
  const lenient = new TextDecoder();
  const encoder = new TextEncoder();

  // The length of the well-formed UTF-8 character at `at`, or 0.
  function characterSize(bytes, at) {
    const lead = bytes[at];
    const size = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2
      : lead >= 0xE0 && lead <= 0xEF ? 3 : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (size === 0 || at + size > bytes.length) {
      return 0;
    }
    for (let i = 1; i < size; ++i) {
      if ((bytes[at + i] & 0xC0) !== 0x80) {
        return 0;
      }
    }
    const second = bytes[at + 1];
    const bad = (lead === 0xE0 && second < 0xA0) || (lead === 0xED && second >= 0xA0) ||
      (lead === 0xF0 && second < 0x90) || (lead === 0xF4 && second >= 0x90);
    return bad ? 0 : size;
  }

  // Calls visit(text, from, to) for each character shown: its text and the
  // bytes it stands for. Stops when visit returns true.
  function eachCharacter(bytes, visit) {
    for (let at = 0; at < bytes.length;) {
      let size = 1;
      let text;
      if (bytes[at] === 0x0D) {
        size = bytes[at + 1] === 0x0A ? 2 : 1;
        text = size === 2 ? '\n' : '␍';
      } else if (bytes[at] < 0x80) {
        text = String.fromCharCode(bytes[at]);
      } else {
        size = characterSize(bytes, at) || 1;
        text = size === 1 ? '\uFFFD' : lenient.decode(bytes.subarray(at, at + size));
      }
      if (visit(text, at, at + size)) {
        return;
      }
      at += size;
    }
  }

  // The text the editor shows for these bytes.
  function toText(bytes) {
    if (!bytes.includes(0x0D)) {
      try {
        return strict.decode(bytes);
      } catch (error) {
        // ill-formed bytes: character by character below
      }
    }
    const parts = [];
    eachCharacter(bytes, (text) => {
      parts.push(text);
    });
    return parts.join('');
  }

  // The bytes after `before` (shown as `shownBefore`) was edited into
  // `after`: the part that changed is written anew in UTF-8, the rest is
  // the old bytes as they were.
  function edited(before, shownBefore, after) {
    const most = Math.min(shownBefore.length, after.length);
    let prefix = 0;
    while (prefix < most && shownBefore.charCodeAt(prefix) === after.charCodeAt(prefix)) {
      ++prefix;
    }
    let suffix = 0;
    while (suffix < most - prefix && shownBefore.charCodeAt(shownBefore.length - 1 - suffix) ===
      after.charCodeAt(after.length - 1 - suffix)) {
      ++suffix;
    }
    // Widened to whole characters of the old text.
    let units = 0;
    let start = prefix;
    let end = shownBefore.length - suffix;
    let from = before.length;
    let to = before.length;
    let found = false;
    eachCharacter(before, (text, at, next) => {
      if (!found && units + text.length > start) {
        found = true;
        start = units;
        from = at;
      }
      if (found && units >= end) {
        end = units;
        to = at;
        return true;
      }
      units += text.length;
      if (found && units >= end) {
        end = units;
        to = next;
        return true;
      }
      return false;
    });
    const middle = encoder.encode(after.slice(start, after.length - (shownBefore.length - end)));
    const bytes = new Uint8Array(from + middle.length + before.length - to);
    bytes.set(before.subarray(0, from), 0);
    bytes.set(middle, from);
    bytes.set(before.subarray(to), from + middle.length);
    return bytes;
  }

  pg.scriptText = { toText, edited };
})(globalThis.Playground = globalThis.Playground || {});
