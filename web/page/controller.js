// The page's state and what can be done with it, apart from the page: it
// owns the script, the engine's run of it, the step and sub-step shown,
// the timeline, the twin and the score, and every action returns plain
// data for the view to render. It touches no DOM, so node's test runner
// checks it on its own (web/test/controller.test.mjs).
(function (pg) {
  'use strict';

  const { grouped, plural, lineStarts, lineOf } = pg;
  // Browsers take URLs of up to about 2 MB; the link is the script's bytes
  // deflated, in base64url.
  const linkLimit = 1500000;
  // The commands the timeline is gathered for in one slice.
  const sliceCommands = 20000;
  const outOfMemory = 'This script needs more memory than the page can have (2 GB): run it with morvavl instead.';
  // What a step shows when the engine has none to show.
  const emptyView = () => ({ step: 0, substeps: [{ kind: 'start', text: '', rule: '', read: [], taken: 0,
    nodes: [], gone: [] }] });

  // Each sub-step gives the nodes that changed since the one before: the
  // whole drawing of each, from the first on.
  function drawings(substeps) {
    const nodes = new Map();
    return substeps.map((substep) => {
      for (const node of substep.nodes) {
        nodes.set(node.key, node);
      }
      for (const key of substep.gone) {
        nodes.delete(key);
      }
      return Array.from(nodes.values());
    });
  }

  class Controller {
    constructor(createEngine, share) {
      this.createEngine = createEngine;
      this.share = share;
      this.engine = null;
      this.written = ''; // the fragment of the address as the page last set it
      this.lost = false; // the engine ran out of memory
      this.state = {
        bytes: new Uint8Array(),
        summary: null,
        answers: '',
        lineStarts: new Uint32Array(1),
        step: 0,
        substep: 0,
        view: null, // the step shown, with each sub-step's drawing
        depth: 5, // 31 nodes: as many as stand side by side at a readable size
        expanded: new Set(),
        twinExpanded: new Set(), // the twin's nodes are its own
        example: null, // the example loaded, if one is
        shared: null, // the script as its link encodes it, once made
        timeline: { steps: 0, done: false, parting: 0 },
        twin: false,
        score: { asked: 0, right: 0 },
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
        this.engine.twin(state.twin);
        summary = this.engine.run(bytes);
      } catch (error) {
        return this.recover();
      }
      state.timings.run = performance.now() - started;
      Object.assign(state, { bytes, summary, example, shared, step: 0, substep: 0, view: null });
      state.timeline = { steps: 0, done: false, parting: 0 };
      state.answers = this.engine.answers;
      state.lineStarts = lineStarts(state.answers);
      state.expanded.clear();
      state.twinExpanded.clear();
      state.timings.answers = performance.now() - started;
      return { ok: true, status: this.status() };
    }

    // An engine that ran out of memory is done with: what was asked of it
    // gets `fallback`, and the page goes on with a fresh engine (recover).
    guard(work, fallback) {
      if (this.lost) {
        return fallback;
      }
      try {
        return work();
      } catch (error) {
        this.lost = true;
        return fallback;
      }
    }

    // A fresh engine, on an empty script: {ok: false, message}.
    async recover() {
      this.engine = await this.createEngine();
      this.lost = false;
      await this.load(new Uint8Array(0));
      return { ok: false, message: outOfMemory };
    }

    status() {
      const { summary, timings } = this.state;
      const parts = [plural(summary.commands, 'command', 'commands'),
        plural(this.answerLines(), 'answer line', 'answer lines'),
        `run in ${Math.round(timings.run)} ms`];
      if (summary.stopped) {
        parts.push(`stopped at step ${grouped(summary.steps)}: its answers pass 64 MB, more ` +
          'than the page holds; run it with morvavl for the rest');
      } else if (summary.answersCut) {
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
    // its sub-steps, each with its drawing, the sub-step shown (by default
    // the last, the tree after the command), the script line to highlight
    // and the answer lines it wrote (first and last, from 0; last is -1
    // before any).
    show(step, { substep = 'last' } = {}) {
      const state = this.state;
      const started = performance.now();
      step = step === 'last' ? state.summary.steps : this.clamp(step);
      if (!state.view || state.view.step !== step || state.view.depth !== state.depth ||
          state.view.expanded !== [...state.expanded].join()) {
        const view = this.guard(() => this.engine.view(step, state.depth, state.expanded), emptyView());
        if (this.lost) {
          step = 0;
        }
        view.step = step;
        view.depth = state.depth;
        view.expanded = [...state.expanded].join();
        view.drawings = drawings(view.substeps);
        state.view = view;
      }
      state.timings.engine = performance.now() - started;
      const view = state.view;
      state.step = step;
      const last = view.substeps.length - 1;
      state.substep = substep === 'last' ? last : Math.max(0, Math.min(last, substep));
      return this.shown();
    }

    shown() {
      const { view, summary, step, substep } = this.state;
      const shown = {
        step,
        steps: summary.steps,
        substep,
        substeps: view.substeps,
        current: view.substeps[substep],
        nodes: view.drawings[substep],
        position: `step ${grouped(step)} of ${grouped(summary.steps)}`,
        line: step === 0 ? summary.countLine : view.line,
        answers: '',
        note: step === 0 ? summary.countNote : view.note,
        output: { first: 0, last: -1 },
        firstRotation: view.firstRotation || 'none',
      };
      if (step === 0) {
        shown.command = summary.countLine > 0 ? `line ${summary.countLine}: the count line` : 'no count line';
        shown.label = 'step 0, before the first command';
        return shown;
      }
      shown.command = `line ${view.line}: ` + (view.missing ? '(no line)' : view.text) +
        (view.droppedCr ? '  [\\r dropped]' : '');
      shown.label = `step ${grouped(step)} of ${grouped(summary.steps)}: ` + shown.command;
      shown.answers = view.answers.replace(/\n$/, '');
      if (view.missing && view.missingAfter > 0) {
        shown.note += `; the same for ${grouped(view.missingAfter)} more commands without a line`;
      }
      shown.output = {
        first: lineOf(this.state.lineStarts, view.answersAt),
        last: lineOf(this.state.lineStarts, view.answersAt + view.answersSize - 1),
      };
      return shown;
    }

    // Has the engine work out a step's view ahead, for a later show: the
    // engine keeps its last few views, and going back costs it the most.
    prefetch(step) {
      const state = this.state;
      if (state.summary && step >= 1 && step <= state.summary.steps) {
        this.guard(() => this.engine.view(step, state.depth, state.expanded), null);
      }
    }

    // One sub-step on or back; past the ends of a command, to the next
    // command's first sub-step or the last one of the command before.
    moveSub(delta) {
      const { step, substep, view, summary } = this.state;
      const next = substep + delta;
      if (next >= 0 && next < view.substeps.length) {
        this.state.substep = next;
        return this.shown();
      }
      if (delta > 0 && step < summary.steps) {
        return this.show(step + 1, { substep: 0 });
      }
      if (delta < 0 && step > 0) {
        return this.show(step - 1);
      }
      return this.shown();
    }

    // The step of a script line, from 1: the count line and what stands
    // before it are step 0.
    stepOfLine(line) {
      return this.clamp(line - this.state.summary.countLine);
    }

    setDepth(depth) {
      this.state.depth = depth;
      this.state.expanded.clear();
      this.state.twinExpanded.clear();
    }

    expand(key, { twin = false } = {}) {
      (twin ? this.state.twinExpanded : this.state.expanded).add(key);
    }

    answerLine(line) {
      const { answers, lineStarts: starts } = this.state;
      return answers.slice(starts[line], line + 1 < starts.length ? starts[line + 1] - 1 : undefined);
    }

    // The textbook twin after the step shown: its drawing and answers.
    setTwin(on) {
      this.state.twin = on;
      this.engine.twin(on);
      this.state.timeline = { steps: 0, done: false, parting: 0 };
    }

    twin() {
      const state = this.state;
      return state.twin
        ? this.guard(() => this.engine.twinView(state.step, state.depth, state.twinExpanded), { nodes: [], parting: 0 })
        : null;
    }

    // Gathers a slice of the timeline; its state after.
    index(commands = sliceCommands) {
      if (!this.state.timeline.done) {
        this.state.timeline = this.guard(() => this.engine.index(commands),
          { ...this.state.timeline, done: true });
      }
      return this.state.timeline;
    }

    // Gathers the timeline at least as far as `step`.
    indexTo(step) {
      while (!this.state.timeline.done && this.state.timeline.steps < step) {
        this.index(Math.max(sliceCommands, step - this.state.timeline.steps));
      }
      return this.state.timeline;
    }

    marks() {
      return this.engine.marks(this.state.timeline.steps);
    }

    // The next (or, with direction -1, the previous) step from `from` whose
    // marks meet `mask`; 0 for none. The timeline is gathered as needed.
    find(mask, from, direction = 1) {
      for (let at = from + direction; at >= 1; at += direction) {
        if (at > this.state.timeline.steps) {
          if (this.state.timeline.done || direction < 0) {
            return 0;
          }
          this.index();
          continue;
        }
        if (this.marks()[at - 1] & mask) {
          return at;
        }
      }
      return 0;
    }

    // The next step after `from` whose command names the ID; 0 for none.
    findId(id, from) {
      const wanted = Number(id);
      for (let at = from + 1; ; ++at) {
        if (at > this.state.timeline.steps) {
          if (this.state.timeline.done) {
            return 0;
          }
          this.index();
          continue;
        }
        if (this.engine.ids(this.state.timeline.steps)[at - 1] === wanted) {
          return at;
        }
      }
    }

    // Another program's output, as bytes, against the script's answers:
    // {agrees, text, step, diagnosis}. `normalised` says that the bytes come
    // from a text box that turned CR LF into LF.
    check(bytes, { normalised = false } = {}) {
      const verdict = this.guard(() => this.engine.check(bytes), null);
      if (verdict === null) {
        return { agrees: false, text: outOfMemory, step: 0, diagnosis: [] };
      }
      return pg.verdictText(verdict, {
        steps: this.state.summary.steps,
        normalised,
        noteOf: (step) => this.guard(() => this.engine.view(step, 1, []).note, ''),
      });
    }

    // The fragment that reopens this script at the step shown, once its
    // link has been made; null before.
    fragment() {
      const state = this.state;
      if (state.shared === null) {
        return null;
      }
      const step = state.step === state.summary.steps && state.step > 0 ? 'last' : state.step;
      return this.share.fragment(state.shared, step, state.twin);
    }

    // The fragment to write into an address that holds `address`, or null
    // for none: none before a link is made, none when it stands already,
    // and none over a fragment the page did not write, a link that came in
    // and is on its way to being opened.
    fragmentFor(address) {
      const fragment = this.fragment();
      if (fragment === null || fragment === address || address !== this.written) {
        return null;
      }
      this.written = fragment;
      return fragment;
    }

    // The address's fragment as it stands is the page's own to follow.
    adopt(address) {
      this.written = address;
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
  pg.drawings = drawings;
})(globalThis.Playground = globalThis.Playground || {});
