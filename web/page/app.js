// The playground: a script runs through the engine when it is opened or
// edited; then any step is shown from the engine's log: the command, its
// answers, its note and the tree after it. The URL fragment always holds
// the script and the step shown, so a link reproduces the page.
(function (pg) {
  'use strict';

  // The commands whose steps are logged; a longer script still gets all
  // its answers.
  const tracedCommands = 100000;
  const lineHeight = 18;
  const linkLimit = 1500000;
  const $ = (id) => document.getElementById(id);
  const encoder = new TextEncoder();
  const decoder = new TextDecoder();
  const grouped = (n) => n.toLocaleString('en-US');

  const state = {
    bytes: new Uint8Array(),
    summary: null,
    step: 0,
    depth: 6,
    expanded: new Set(),
    shared: null, // the script, encoded for the fragment
    lineStarts: new Uint32Array(0), // where each answer line starts
    timings: {},
  };
  pg.state = state;

  let engine = null;
  let editor = null;
  let tree = null;

  function indexAnswers(answers) {
    let lines = 0;
    for (let at = answers.indexOf('\n'); at >= 0; at = answers.indexOf('\n', at + 1)) {
      ++lines;
    }
    const starts = new Uint32Array(lines + 1);
    let line = 1;
    for (let at = answers.indexOf('\n'); at >= 0; at = answers.indexOf('\n', at + 1)) {
      starts[line++] = at + 1;
    }
    state.lineStarts = starts;
  }

  // The answer line, from 0, that holds the byte at `offset`.
  function lineOfByte(offset) {
    const starts = state.lineStarts;
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

  // The engine stops for good when its memory, at most 2 GB, runs out: a
  // fresh one takes its place, on an empty script, and the page says why.
  async function engineStopped(name) {
    engine = await pg.Engine.create();
    load(new Uint8Array(0), 0, false);
    $('status').textContent = `${name} needs more memory than the page can have (2 GB): ` +
      'run it with morvavl instead.';
  }

  function load(bytes, step, intoEditor) {
    const started = performance.now();
    let summary;
    try {
      summary = engine.run(bytes, tracedCommands);
    } catch (error) {
      engineStopped(intoEditor ? 'This script' : 'The script as edited');
      return;
    }
    state.bytes = bytes;
    state.summary = summary;
    state.timings.run = performance.now() - started;
    $('answers').textContent = engine.answers;
    indexAnswers(engine.answers);
    state.timings.answers = performance.now() - started;
    state.expanded.clear();
    $('slider').max = summary.steps;
    if (intoEditor) {
      editor.setText(decoder.decode(bytes));
    }
    state.timings.editorText = performance.now() - started;
    const parts = [`${grouped(summary.commands)} command${summary.commands === 1 ? '' : 's'}`,
      `${grouped(state.lineStarts.length - 1)} answer lines`,
      `run in ${Math.round(state.timings.run)} ms`];
    if (summary.steps < summary.commands && summary.commands > tracedCommands) {
      parts.push(`steps shown for the first ${grouped(tracedCommands)} commands`);
    }
    if (summary.answersCut) {
      parts.push('answers cut at 64 MB');
    }
    $('status').textContent = parts.join(' · ');
    state.shared = null;
    pg.share.encode(bytes).then((encoded) => {
      if (state.bytes !== bytes) {
        return;
      }
      // Browsers take URLs of up to about 2 MB.
      if (encoded.length > linkLimit) {
        history.replaceState(null, '', location.pathname + location.search);
        $('status').textContent += ' · too long for a link';
        return;
      }
      state.shared = encoded;
      remember();
    });
    show(step === 'last' ? summary.steps : step);
    state.timings.load = performance.now() - started;
    // For tools that drive the page: each run of a script is counted.
    document.body.dataset.runs = String(Number(document.body.dataset.runs || 0) + 1);
  }

  // The fragment follows the step shown once stepping pauses: writing a
  // long script's link into the address bar takes tens of milliseconds.
  let remembering = null;
  function remember() {
    clearTimeout(remembering);
    remembering = setTimeout(rememberNow, 150);
  }

  function rememberNow() {
    clearTimeout(remembering);
    if (state.shared !== null) {
      const step = state.step === state.summary.steps && state.step > 0 ? 'last' : state.step;
      history.replaceState(null, '', pg.share.fragment(state.shared, step));
    }
  }

  function show(step) {
    const started = performance.now();
    const summary = state.summary;
    step = Math.max(0, Math.min(summary.steps, Number(step) || 0));
    state.step = step;
    const view = engine.view(step, state.depth, state.expanded);
    state.timings.engine = performance.now() - started;
    $('slider').value = step;
    $('position').textContent = `step ${grouped(step)} of ${grouped(summary.steps)}`;
    const answers = step === 0 ? '' :
      engine.answers.slice(view.answersAt, view.answersAt + view.answersSize);
    if (step === 0) {
      $('command').textContent = summary.countLine > 0
        ? `line ${summary.countLine}: the count line` : 'no count line';
    } else {
      $('command').textContent = `line ${view.line}: ` +
        (view.missing ? '(no line)' : view.text) + (view.droppedCr ? '  [\\r dropped]' : '');
    }
    $('step-answers').textContent = answers.replace(/\n$/, '');
    let note = step === 0 ? summary.countNote : view.note;
    if (view.missing && view.missingAfter > 0) {
      note += `; the same for ${grouped(view.missingAfter)} more commands without a line`;
    }
    $('note').textContent = note;
    tree.draw(view);
    state.timings.tree = performance.now() - started;
    editor.highlight(step === 0 ? summary.countLine : view.line);
    state.timings.editor = performance.now() - started;
    showOutput(step === 0 ? -1 : lineOfByte(view.answersAt + view.answersSize - 1),
      step === 0 ? 0 : lineOfByte(view.answersAt));
    remember();
    state.timings.view = performance.now() - started;
    return view;
  }

  // The answers so far, with the current command's marked and in view.
  // Only the lines in view are drawn.
  function showOutput(last, first) {
    const box = $('output');
    const lines = $('output-lines');
    lines.style.height = (last + 1) * lineHeight + 'px';
    const bottom = (last + 1) * lineHeight;
    if (bottom > box.scrollTop + box.clientHeight || first * lineHeight < box.scrollTop) {
      box.scrollTop = Math.max(0, bottom - box.clientHeight);
    }
    state.outputLines = [first, last];
    drawOutput();
  }

  function drawOutput() {
    const box = $('output');
    const [first, last] = state.outputLines || [0, -1];
    const from = Math.floor(box.scrollTop / lineHeight);
    const to = Math.min(last, from + Math.ceil(box.clientHeight / lineHeight));
    const answers = engine.answers;
    const starts = state.lineStarts;
    const drawn = [];
    for (let line = from; line <= to; ++line) {
      const div = document.createElement('div');
      div.textContent = answers.slice(starts[line], line + 1 < starts.length ? starts[line + 1] - 1 : undefined);
      div.style.top = line * lineHeight + 'px';
      if (line >= first) {
        div.className = 'current';
      }
      drawn.push(div);
    }
    $('output-lines').replaceChildren(...drawn);
  }

  function goToLine(line) {
    const summary = state.summary;
    show(Math.min(summary.steps, Math.max(0, line - summary.countLine)));
  }

  // Compares another program's output with the answers: the first line
  // that differs, the step that wrote it, both versions and why.
  function check() {
    const expected = engine.answers;
    const theirs = $('theirs').value;
    const verdict = $('verdict');
    if (theirs === expected) {
      verdict.className = 'agree';
      verdict.textContent = `The answers agree: ${grouped(state.lineStarts.length - 1)} lines, byte for byte.`;
      return;
    }
    let at = 0;
    while (at < expected.length && at < theirs.length && expected[at] === theirs[at]) {
      ++at;
    }
    const line = lineOfByte(Math.min(at, Math.max(0, expected.length - 1)));
    const lineStart = state.lineStarts[line];
    const lineOf = (text) => {
      const end = text.indexOf('\n', lineStart);
      return lineStart >= text.length ? '(nothing more)' : text.slice(lineStart, end < 0 ? undefined : end);
    };
    const step = at >= expected.length ? 0 : engine.stepOfAnswer(lineStart);
    verdict.className = 'differ';
    if (step === 0) {
      verdict.textContent = `After the last answer line (${grouped(line + 1)}), your program wrote more:\n` +
        `  written:  ${lineOf(theirs)}`;
      return;
    }
    const view = show(step);
    verdict.textContent = `The answers first differ at script line ${view.line} (step ${grouped(step)}), ` +
      `in answer line ${grouped(line + 1)}:\n` +
      `  expected: ${lineOf(expected)}\n  written:  ${lineOf(theirs)}\n  why: ${$('note').textContent}`;
  }

  function download(name, data) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([data], { type: 'text/plain' }));
    link.download = name;
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 1000);
  }

  async function copyLink() {
    rememberNow();
    if (state.shared === null) {
      $('status').textContent = 'This script is too long for a link.';
      return;
    }
    const link = location.href;
    try {
      await navigator.clipboard.writeText(link);
      $('status').textContent = 'Link copied: it reopens this script at this step.';
    } catch (error) {
      window.prompt('Copy this link:', link);
    }
  }

  function openBytes(bytes, name) {
    let script = bytes;
    try {
      script = (/\.scn$/.test(name || '') && engine.scenario(bytes)) || bytes;
    } catch (error) {
      engineStopped('This file');
      return;
    }
    load(script, 0, true);
  }

  function wire() {
    const stepBy = (delta) => show(state.step + delta);
    $('first').onclick = () => show(0);
    $('back').onclick = () => stepBy(-1);
    $('forward').onclick = () => stepBy(1);
    $('last').onclick = () => show(state.summary.steps);
    $('slider').addEventListener('input', (event) => show(event.target.value));
    $('depth').onchange = (event) => {
      state.depth = Number(event.target.value);
      state.expanded.clear();
      show(state.step);
    };
    $('zoom-in').onclick = () => tree.zoom(1 / 1.25);
    $('zoom-out').onclick = () => tree.zoom(1.25);
    $('fit').onclick = () => tree.fit();
    $('output').addEventListener('scroll', drawOutput);
    $('check').onclick = check;
    $('download-script').onclick = () => download('script.txt', state.bytes);
    $('download-answers').onclick = () => download('answers.txt', engine.answers);
    $('copy-link').onclick = copyLink;
    $('open').onclick = () => $('file').click();
    $('file').onchange = async (event) => {
      const file = event.target.files[0];
      if (file) {
        openBytes(new Uint8Array(await file.arrayBuffer()), file.name);
      }
    };
    const examples = $('examples');
    pg.examples.forEach((example, i) => examples.add(new Option(example.title, i)));
    examples.onchange = () => {
      const example = pg.examples[examples.value];
      if (example) {
        openBytes(Uint8Array.from(atob(example.bytes), (c) => c.charCodeAt(0)), example.file);
      }
    };
    document.addEventListener('keydown', (event) => {
      if (event.target.closest('textarea, input, select') || event.altKey || event.ctrlKey || event.metaKey) {
        return;
      }
      const moves = { ArrowLeft: -1, ArrowRight: 1 };
      if (event.key in moves) {
        event.preventDefault();
        stepBy(moves[event.key]);
      } else if (event.key === 'Home' && !event.target.closest('#tree')) {
        show(0);
      } else if (event.key === 'End' && !event.target.closest('#tree')) {
        show(state.summary.steps);
      }
    });
    document.addEventListener('dragover', (event) => {
      event.preventDefault();
      $('drop-hint').hidden = false;
    });
    document.addEventListener('dragleave', () => { $('drop-hint').hidden = true; });
    document.addEventListener('drop', async (event) => {
      event.preventDefault();
      $('drop-hint').hidden = true;
      const file = event.dataTransfer.files[0];
      if (file) {
        openBytes(new Uint8Array(await file.arrayBuffer()), file.name);
      }
    });
    window.addEventListener('hashchange', openFragment);
    $('about-link').onclick = (event) => {
      event.preventDefault();
      $('examples').focus();
    };
  }

  // Opens the script of the fragment, if it holds one; false otherwise.
  async function openFragment() {
    const shared = pg.share.parse(location.hash);
    if (!shared.script || shared.script === state.shared) {
      if (shared.script && shared.step !== null && shared.step !== state.step) {
        show(shared.step === 'last' ? state.summary.steps : shared.step);
      }
      return Boolean(shared.script);
    }
    const bytes = await pg.share.decode(shared.script);
    if (!bytes) {
      $('status').textContent = 'The link holds no script that can be read.';
      return false;
    }
    load(bytes, shared.step === null ? 0 : shared.step, true);
    return true;
  }

  async function main() {
    engine = await pg.Engine.create();
    tree = new pg.TreeDrawing($('tree'), {
      expand(key) {
        state.expanded.add(key);
        show(state.step);
      },
    });
    editor = new pg.ScriptEditor({
      textarea: $('script'), viewer: $('viewer'), gutter: $('gutter'),
      current: $('current-line'), edit: $('edit-long'),
    }, {
      edited: (text) => load(encoder.encode(text), state.step, false),
      lineChosen: goToLine,
    });
    wire();
    if (!(await openFragment())) {
      const demo = pg.examples[0];
      openBytes(Uint8Array.from(atob(demo.bytes), (c) => c.charCodeAt(0)), demo.file);
    }
    document.body.dataset.ready = 'true';
  }

  pg.show = (step) => show(step);
  main();
})(window.Playground = window.Playground || {});
