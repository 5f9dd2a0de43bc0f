// The page's state and what can be done with it, apart from the page: it
// owns the script, the engine's run of it and the step shown, and every
// action returns plain data for the view to render. It touches no DOM, so
// node's test runner checks it on its own (web/test/controller.test.mjs).
(function (pg) {
  'use strict';

  // The commands whose steps are logged; a longer script still gets all
  // its answers.
  const tracedCommands = 100000;
  // Browsers take URLs of up to about 2 MB; the link is the script's bytes
  // deflated, in base64url.
  const linkLimit = 1500000;
  const grouped = (n) => n.toLocaleString('en-US');
  const plural = (n, one, many) => `${grouped(n)} ${n === 1 ? one : many}`;

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

  // The id of a rule on the page (rules.js): its section's number and its
  // name, as docs/behaviour.md sets it in bold.
  function ruleId(section, rule) {
    const slug = rule.toLowerCase().replace(/[^a-z0-9]+/g, '-').replace(/^-|-$/g, '');
    return `rule-${section.split('.')[0]}-${slug}`;
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

  // A shown line of a verdict: its window, with marks for what is cut.
  function shownLine(line) {
    return (line.before ? `[${plural(line.before, 'byte', 'bytes')} as expected] …` : '') +
      visible(line.bytes) +
      (line.after ? `… [${plural(line.after, 'more byte', 'more bytes')}]` : '') +
      (line.complete ? '' : ' (no line feed)');
  }

  class Controller {
    constructor(createEngine, share) {
      this.createEngine = createEngine;
      this.share = share;
      this.engine = null;
      this.state = {
        bytes: new Uint8Array(),
        summary: null,
        answers: '',
        lineStarts: new Uint32Array(1),
        step: 0,
        depth: 6,
        expanded: new Set(),
        example: null, // the example loaded, if one is
        shared: null, // the script as its link encodes it, once made
        timings: {},
      };
    }

    async start() {
      this.engine = await this.createEngine();
    }

    // Runs a script: {ok, status} once it ran, or {ok: false, message}
    // when the engine ran out of memory; a fresh engine then takes over,
    // on an empty script.
    async load(bytes, { example = null, shared = null } = {}) {
      const state = this.state;
      const started = performance.now();
      let summary;
      try {
        summary = this.engine.run(bytes, tracedCommands);
      } catch (error) {
        this.engine = await this.createEngine();
        await this.load(new Uint8Array(0));
        return {
          ok: false,
          message: 'This script needs more memory than the page can have (2 GB): run it with morvavl instead.',
        };
      }
      state.timings.run = performance.now() - started;
      Object.assign(state, { bytes, summary, example, shared, step: 0 });
      state.answers = this.engine.answers;
      state.lineStarts = lineStarts(state.answers);
      state.expanded.clear();
      state.timings.answers = performance.now() - started;
      return { ok: true, status: this.status() };
    }

    status() {
      const { summary, timings } = this.state;
      const parts = [plural(summary.commands, 'command', 'commands'),
        plural(this.answerLines(), 'answer line', 'answer lines'),
        `run in ${Math.round(timings.run)} ms`];
      if (summary.steps < summary.commands && summary.commands > tracedCommands) {
        parts.push(`steps shown for the first ${grouped(tracedCommands)} commands`);
      }
      if (summary.answersCut) {
        parts.push('answers cut at 64 MB');
      }
      return parts.join(' · ');
    }

    answerLines() {
      return this.state.lineStarts.length - 1;
    }

    clamp(step) {
      return Math.max(0, Math.min(this.state.summary.steps, Number(step) || 0));
    }

    // The step as the view shows it: the command, its answers and note,
    // the tree, the script line to highlight and the answer lines it wrote
    // (first and last, from 0; last is -1 before any).
    show(step) {
      const state = this.state;
      const started = performance.now();
      step = step === 'last' ? state.summary.steps : this.clamp(step);
      state.step = step;
      const view = this.engine.view(step, state.depth, state.expanded);
      state.timings.engine = performance.now() - started;
      const summary = state.summary;
      const shown = {
        step,
        steps: summary.steps,
        position: `step ${grouped(step)} of ${grouped(summary.steps)}`,
        view,
        line: step === 0 ? summary.countLine : view.line,
        answers: '',
        note: step === 0 ? summary.countNote : view.note,
        output: { first: 0, last: -1 },
      };
      if (step === 0) {
        shown.command = summary.countLine > 0 ? `line ${summary.countLine}: the count line` : 'no count line';
        return shown;
      }
      shown.command = `line ${view.line}: ` + (view.missing ? '(no line)' : view.text) +
        (view.droppedCr ? '  [\\r dropped]' : '');
      shown.answers = state.answers.slice(view.answersAt, view.answersAt + view.answersSize).replace(/\n$/, '');
      if (view.missing && view.missingAfter > 0) {
        shown.note += `; the same for ${grouped(view.missingAfter)} more commands without a line`;
      }
      shown.output = {
        first: lineOf(state.lineStarts, view.answersAt),
        last: lineOf(state.lineStarts, view.answersAt + view.answersSize - 1),
      };
      return shown;
    }

    // The step of a script line, from 1: the count line and what stands
    // before it are step 0.
    stepOfLine(line) {
      return this.clamp(line - this.state.summary.countLine);
    }

    setDepth(depth) {
      this.state.depth = depth;
      this.state.expanded.clear();
    }

    expand(key) {
      this.state.expanded.add(key);
    }

    // Answer lines `from` to `to` (from 0), for the answers pane.
    answerLine(line) {
      const { answers, lineStarts: starts } = this.state;
      return answers.slice(starts[line], line + 1 < starts.length ? starts[line + 1] - 1 : undefined);
    }

    // Another program's output, as bytes, against the script's answers:
    // {agrees, text, step}, where step is the one to show, if any.
    // `normalised` says that the bytes come from a text box that turned
    // CR LF into LF.
    // `diagnosis` lists the variants that give exactly those answers,
    // each with the id of the rule it reads another way (rules.js).
    check(bytes, { normalised = false } = {}) {
      const verdict = this.engine.check(bytes);
      const lines = [];
      let step = 0;
      if (verdict.agrees) {
        lines.push(`The answers agree: ${plural(verdict.linesExpected, 'line', 'lines')}, byte for byte.`);
      } else {
        step = this.describe(verdict, lines);
      }
      if (normalised) {
        lines.push('Note: the pasted text had CR LF line ends, which the text box turns into LF; ' +
          'open the output as a file to compare its exact bytes.');
      }
      const diagnosis = (verdict.diagnosis || []).map((variant) => ({
        ...variant,
        sentence: `${variant.name}: it answers as if ${variant.description}`,
        ruleId: ruleId(variant.section, variant.rule),
        where: `the rule ${variant.rule}, in section ${variant.section} of docs/behaviour.md`,
      }));
      if (!verdict.agrees) {
        lines.push(diagnosis.length
          ? 'diagnosis: ' + diagnosis.map((variant) => variant.name).join(', ')
          : 'diagnosis: none of the known misreadings');
      }
      return { agrees: verdict.agrees, text: lines.join('\n'), step, verdict, diagnosis };
    }

    describe(verdict, lines) {
      const difference = verdict.difference;
      if (difference.afterLast) {
        lines.push(verdict.linesExpected === 0
          ? 'morvavl writes no answer for this script, but your program wrote:'
          : `After the last answer line (${grouped(verdict.linesExpected)}), your program wrote more:`);
        lines.push('  written:  ' + shownLine(difference.written[0]));
        return 0;
      }
      const where = difference.step > 0 ? `step ${grouped(difference.step)}`
        : `beyond the ${grouped(this.state.summary.steps)} steps shown`;
      lines.push(`The answers first differ at script line ${difference.line} (${where}), ` +
        `in answer line ${grouped(difference.answerLine)}:`);
      for (const line of difference.expected) {
        lines.push('  expected: ' + shownLine(line));
      }
      const written = difference.written.slice(0, Math.max(1, difference.expected.length));
      for (const line of written) {
        lines.push('  written:  ' + shownLine(line));
      }
      if (written.length < difference.expected.length) {
        lines.push('  written:  (nothing more)');
      }
      if (difference.unseen) {
        lines.push(`  (${difference.unseen})`);
      }
      if (verdict.linesWritten < verdict.linesExpected) {
        lines.push(`  your program wrote ${grouped(verdict.linesWritten)} of the ` +
          `${plural(verdict.linesExpected, 'answer line', 'answer lines')} expected`);
      }
      if (difference.step > 0) {
        lines.push('  why: ' + this.engine.view(difference.step, 1, []).note);
      }
      return difference.step;
    }

    // The fragment that reopens this script at the step shown, once its
    // link has been made; null before.
    fragment() {
      const state = this.state;
      if (state.shared === null) {
        return null;
      }
      const step = state.step === state.summary.steps && state.step > 0 ? 'last' : state.step;
      return this.share.fragment(state.shared, step);
    }

    // Makes the link, when asked: {ok, fragment}, or {ok: false, message}
    // for a script too long for one, found out without compressing more of
    // it than a link can hold.
    async link() {
      const state = this.state;
      if (state.shared === null) {
        const bytes = state.bytes;
        const encoded = await this.share.encode(bytes, linkLimit);
        if (state.bytes !== bytes) {
          return { ok: false, message: 'The script changed while its link was being made.' };
        }
        if (encoded === null) {
          return { ok: false, message: 'This script is too long for a link.' };
        }
        state.shared = encoded;
      }
      return { ok: true, fragment: this.fragment() };
    }
  }

  pg.Controller = Controller;
  pg.visible = visible;
  pg.lineStarts = lineStarts;
  pg.lineOf = lineOf;
  pg.ruleId = ruleId;
})(globalThis.Playground = globalThis.Playground || {});
