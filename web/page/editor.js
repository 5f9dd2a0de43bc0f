// The script editor: the script with line numbers beside it and the
// current command's line highlighted. Only the lines in view are drawn:
// a long script (more than `editableLines`) is shown read-only that way,
// since a text area lays out every line at once and takes seconds for a
// hundred thousand; a button makes it editable all the same. Clicking a
// line, or Ctrl+Enter on it, asks to go to that line. Lines past the
// script's commands are greyed, and refused lines underlined with the rule
// they break.
(function (pg) {
  'use strict';

  const lineHeight = 18;
  const editableLines = 20000;
  const mostHeight = 16000000;

  class ScriptEditor {
    constructor(parts, handlers) {
      Object.assign(this, parts); // textarea, viewer, gutter, current, edit, marks
      this.handlers = handlers;
      this.lineMarks = { unreadFrom: Infinity, refused: new Set(), noteOf: () => '' };
      this.text = '';
      this.bytes = new Uint8Array(0); // the script, as the text stands for it
      this.starts = new Uint32Array(1); // where each line starts
      this.line = 0; // highlighted, from 1; 0 for none
      let pending = null;
      const area = this.textarea;
      let shown = ''; // the text the bytes were last put into
      this.synced = (text) => { shown = text; };
      area.addEventListener('input', () => {
        this.index(area.value);
        this.redraw();
        clearTimeout(pending);
        pending = setTimeout(() => {
          this.bytes = pg.scriptText.edited(this.bytes, shown, area.value);
          // An edit that brings a CR and a line feed together, or the bytes
          // of a character, shows them as they now read.
          const text = pg.scriptText.toText(this.bytes);
          if (text !== area.value) {
            const caret = area.selectionStart;
            area.value = text;
            area.selectionStart = area.selectionEnd = Math.min(caret, text.length);
            this.index(text);
            this.redraw();
          }
          shown = text;
          handlers.edited(this.bytes);
        }, 350);
      });
      area.addEventListener('mouseup', () => {
        if (area.selectionStart === area.selectionEnd) {
          handlers.lineChosen(this.lineOf(area.selectionStart));
        }
      });
      area.addEventListener('keydown', (event) => {
        if (event.key === 'Enter' && (event.ctrlKey || event.metaKey)) {
          event.preventDefault();
          handlers.lineChosen(this.lineOf(area.selectionStart));
        }
      });
      this.viewer.addEventListener('click', (event) => {
        const line = event.target.closest('[data-line]');
        if (line) {
          handlers.lineChosen(Number(line.dataset.line));
        }
      });
      this.viewer.addEventListener('keydown', (event) => {
        if (event.key === 'Enter' && event.target.dataset.line) {
          handlers.lineChosen(Number(event.target.dataset.line));
        }
      });
      this.edit.addEventListener('click', () => this.show(this.text, true));
      this.boxes = [area, this.viewer].map((scroller) => {
        const box = new pg.Box(scroller, () => this.redraw());
        scroller.addEventListener('scroll', () => this.redraw()); // after the box hears it
        return box;
      });
    }

    // The text area, or the viewer of a long script, as a pg.Box.
    get scroller() {
      return this.boxes[this.textarea.hidden ? 1 : 0];
    }

    index(text) {
      this.text = text;
      let lines = 1;
      for (let at = text.indexOf('\n'); at >= 0; at = text.indexOf('\n', at + 1)) {
        ++lines;
      }
      const starts = new Uint32Array(lines);
      let line = 1;
      for (let at = text.indexOf('\n'); at >= 0; at = text.indexOf('\n', at + 1)) {
        starts[line++] = at + 1;
      }
      this.starts = starts;
    }

    // The text of line `n`, from 1.
    lineText(n) {
      const end = n < this.starts.length ? this.starts[n] - 1 : undefined;
      return this.text.slice(this.starts[n - 1], end);
    }

    // The line, from 1, that holds the character at `offset`.
    lineOf(offset) {
      let low = 0;
      let high = this.starts.length - 1;
      while (low < high) {
        const middle = (low + high + 1) >> 1;
        if (this.starts[middle] <= offset) {
          low = middle;
        } else {
          high = middle - 1;
        }
      }
      return low + 1;
    }

    // Shows the script's bytes: a lone CR as ␍, a byte that is no UTF-8 as
    // U+FFFD (bytes.js); an edit keeps the bytes it does not touch.
    setBytes(bytes) {
      this.bytes = bytes;
      this.show(pg.scriptText.toText(bytes), false);
    }

    show(text, editable) {
      this.synced(text);
      this.index(text);
      const long = this.starts.length > editableLines && !editable;
      this.textarea.hidden = long;
      this.viewer.hidden = !long;
      this.edit.hidden = !long;
      if (long) {
        this.edit.textContent = `Edit all ${this.starts.length.toLocaleString('en-US')} lines`;
        this.textarea.value = '';
      } else {
        this.textarea.value = text;
      }
      this.redraw();
    }

    // Browsers cap an element's height (Chromium at about 33 million px,
    // some 1.9 million lines): past 16 million px the viewer's scroll range
    // stands for all the lines at a scale, its ends for theirs.
    get scale() {
      const height = this.starts.length * lineHeight;
      const view = this.scroller.height;
      return this.viewer.hidden || height <= mostHeight ? 1
        : (height - view) / (mostHeight - view);
    }

    // The top of the view, in px of the lines as if all were laid out.
    get viewTop() {
      return this.scroller.top * this.scale;
    }

    // Highlights a line, from 1, and scrolls it into view; 0 for none.
    highlight(line) {
      this.line = line;
      const scroller = this.scroller;
      if (line > 0) {
        const top = (line - 1) * lineHeight;
        if (top < this.viewTop || top + lineHeight > this.viewTop + scroller.height) {
          scroller.scrollTo(Math.max(0, top - scroller.height / 3) / this.scale);
        }
      }
      this.redraw();
    }

    redraw() {
      const scroller = this.scroller;
      const viewTop = this.viewTop;
      const first = Math.floor(viewTop / lineHeight);
      const last = Math.min(this.starts.length,
        first + Math.ceil(scroller.height / lineHeight) + 1);
      const numbers = [];
      const lines = [];
      for (let n = first + 1; n <= last; ++n) {
        const top = (n - 1) * lineHeight;
        const number = document.createElement('div');
        number.textContent = n;
        number.style.top = (top - viewTop) + 'px';
        numbers.push(number);
        if (!this.viewer.hidden) {
          const line = document.createElement('div');
          const end = n < this.starts.length ? this.starts[n] - 1 : undefined;
          line.textContent = this.text.slice(this.starts[n - 1], end);
          line.style.top = (scroller.top + top - viewTop) + 'px';
          line.dataset.line = n;
          line.tabIndex = -1;
          lines.push(line);
        }
      }
      this.gutter.replaceChildren(...numbers);
      if (!this.viewer.hidden) {
        this.viewer.firstChild.style.height =
          Math.min(this.starts.length * lineHeight, mostHeight) + 'px';
        this.viewer.firstChild.replaceChildren(...lines);
      }
      const top = (this.line - 1) * lineHeight - viewTop;
      this.current.hidden = this.line === 0 || top < -lineHeight || top > scroller.height;
      this.current.style.top = top + 'px';
      this.drawMarks(first, last, viewTop);
    }

    // Lines no command reads, greyed; refused lines underlined, each with
    // the rule it breaks.
    setMarks(marks) {
      this.lineMarks = marks;
      this.redraw();
    }

    drawMarks(first, last, scrollTop) {
      const { unreadFrom, refused, noteOf } = this.lineMarks;
      const drawn = [];
      for (let n = first + 1; n <= last; ++n) {
        const kind = n >= unreadFrom ? 'unread' : refused.has(n) ? 'refused' : '';
        if (!kind) {
          continue;
        }
        const mark = document.createElement('div');
        mark.className = kind;
        mark.dataset.line = n;
        mark.style.top = ((n - 1) * lineHeight - scrollTop) + 'px';
        mark.title = kind === 'unread' ? 'no command reads this line' : noteOf(n);
        drawn.push(mark);
      }
      this.marks.replaceChildren(...drawn);
    }
  }

  pg.ScriptEditor = ScriptEditor;
})(globalThis.Playground = globalThis.Playground || {});
