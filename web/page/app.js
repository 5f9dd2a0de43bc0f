// The playground's view: it hands what a person does to the controller
// (controller.js) and renders what the controller returns. A script runs
// when it is opened or edited; any step, and any sub-step inside it, is
// then shown by the engine, while the timeline is gathered in slices in
// the background. The URL fragment holds the script and the step once a
// link has been made, or when the page was opened from one.
(function (pg) {
  'use strict';

  const lineHeight = 18;
  const $ = (id) => document.getElementById(id);
  const view = pg.stepView;

  const controller = new pg.Controller(() => pg.Engine.create(), pg.share);
  const state = controller.state;
  pg.state = state;
  pg.controller = controller;
  let editor = null;
  let tree = null;
  let twinTree = null;
  let output = { first: 0, last: -1 };
  let outputBox = null; // the answers' scroller, as a pg.Box
  let stripBox = null;
  let pastedCrLf = null; // pasted text that held CR LF, as the box keeps it
  let asking = null; // the question asked before the step shown, if any
  let playing = null;
  let indexing = null;
  const reducedMotion = window.matchMedia('(prefers-reduced-motion: reduce)');

  function setStatus(text) {
    $('status').textContent = text;
  }

  async function load(bytes, { step = 0, intoEditor = true, example = null, shared = null,
    keepAddress = false } = {}) {
    const started = performance.now();
    stopPlaying();
    const loaded = await controller.load(bytes, { example, shared });
    if (!loaded.ok) {
      render(controller.show(0));
      editor.setBytes(new Uint8Array(0));
      setStatus(loaded.message);
      return;
    }
    $('answers').textContent = state.answers;
    $('slider').max = state.summary.steps;
    if (intoEditor) {
      editor.setBytes(bytes);
    }
    state.timings.editorText = performance.now() - started;
    $('examples').value = example === null ? '' : String(example);
    setStatus(loaded.status);
    if (shared === null && !keepAddress) {
      history.replaceState(null, '', location.pathname + location.search);
      controller.adopt(location.hash);
    }
    show(step);
    state.timings.load = performance.now() - started;
    startIndexing();
    // For tools that drive the page: each run of a script is counted.
    document.body.dataset.runs = String(Number(document.body.dataset.runs || 0) + 1);
  }

  // The timeline, a slice at a time, so that the page answers meanwhile.
  function startIndexing() {
    clearTimeout(indexing);
    const slice = () => {
      const timeline = controller.index();
      if (controller.lost) {
        recoverEngine();
        return;
      }
      drawTimeline();
      markLines();
      if (!timeline.done) {
        indexing = setTimeout(slice, 0);
      } else {
        document.body.dataset.indexed = 'true';
      }
    };
    delete document.body.dataset.indexed;
    indexing = setTimeout(slice, 0);
  }

  function drawTimeline() {
    if (!state.summary) {
      return;
    }
    const timeline = state.timeline;
    pg.drawStrip($('timeline-strip'), stripBox, state.summary, controller.marks(), state.summary.steps, state.step,
      state.twin ? timeline.parting : 0);
    $('timeline-status').textContent = timeline.done ? ''
      : `timeline: ${pg.grouped(timeline.steps)} of ${pg.grouped(state.summary.steps)} steps`;
  }

  // Refused lines, as the timeline finds them, and lines no command reads.
  function markLines() {
    const refused = new Set();
    const marks = controller.marks();
    for (let step = 1; step <= marks.length; ++step) {
      if (marks[step - 1] & 2048) {
        refused.add(state.summary.countLine + step);
      }
    }
    editor.setMarks({
      unreadFrom: state.summary.countLine + Math.max(state.summary.commands, 0) + 1,
      refused,
      noteOf: (line) => controller.guard(() => controller.engine.refusal(editor.lineText(line)), ''),
    });
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
    const fragment = controller.fragmentFor(location.hash);
    if (fragment !== null) {
      history.replaceState(null, '', fragment);
      controller.adopt(location.hash);
    }
  }

  // Once the page is idle after a step, the step before it is made ready:
  // going back is what costs the engine the most.
  let prefetching = null;
  function show(step, options) {
    const started = performance.now();
    const shown = controller.show(step, options);
    render(shown);
    state.timings.view = performance.now() - started;
    return shown;
  }

  function render(shown) {
    const started = performance.now();
    const slider = $('slider');
    slider.value = shown.step;
    slider.setAttribute('aria-valuetext', shown.label);
    $('position').textContent = shown.position;
    $('command').textContent = shown.command;
    $('hint').hidden = shown.step !== 0;
    $('hint').textContent = 'Press → to perform the next command and Shift+→ to go through its ' +
      'sub-steps one by one; Space plays them. Each sub-step shows the rule it applies.';
    const hidden = asking !== null;
    $('step-answers').textContent = hidden ? '' : shown.answers;
    view.renderNote($('note'), hidden ? 'What will it do? Answer above first.' : shown.note,
      shown.nodes, (key) => tree.focusNode(key));
    view.renderSubsteps($('substeps'), hidden ? { ...shown, substeps: shown.substeps.slice(0, 1) } : shown,
      (index) => render(controller.show(shown.step, { substep: index })));
    view.renderRule($('rule-panel'), shown.current, showRule);
    tree.draw(shown.nodes);
    view.renderTextTree($('tree-text'), shown.nodes);
    state.timings.tree = performance.now() - started;
    if (state.twin) {
      renderTwin();
    }
    editor.highlight(shown.line);
    showOutput(shown.output);
    drawTimeline();
    remember();
    clearTimeout(prefetching);
    prefetching = setTimeout(() => {
      controller.prefetch(shown.step - 1);
      if (controller.lost) {
        recoverEngine();
      }
    }, 120);
    if (controller.lost) {
      recoverEngine();
    }
  }

  // The engine ran out of memory on the way: a fresh one takes over, on
  // an empty script, and the page says why.
  let recovering = false;
  async function recoverEngine() {
    if (recovering) {
      return;
    }
    recovering = true;
    stopPlaying();
    clearTimeout(indexing);
    clearTimeout(prefetching);
    const recovered = await controller.recover();
    editor.setBytes(new Uint8Array(0));
    $('answers').textContent = '';
    $('slider').max = 0;
    render(controller.show(0));
    setStatus(recovered.message);
    recovering = false;
  }

  function renderTwin() {
    const twin = controller.twin();
    $('twin-pane').hidden = false;
    twinTree.draw(twin.nodes || []);
    const parting = twin.parting;
    $('twin-note').textContent = !parting
      ? 'The textbook tree and this one agree on every step so far.'
      : state.step < parting
        ? `They agree up to here; they part at step ${pg.grouped(parting)}, marked on the timeline.`
        : `They parted at step ${pg.grouped(parting)}: there the textbook tree retraced a removal, ` +
          'recomputing and rebalancing every node up to the root, where this one leaves stale values.';
  }

  // The answers so far, with the current command's marked and in view.
  // Only the lines in view are drawn.
  function showOutput(lines) {
    output = lines;
    const box = outputBox;
    const bottom = (lines.last + 1) * lineHeight;
    $('output-lines').style.height = bottom + 'px';
    if (bottom > box.top + box.height || lines.first * lineHeight < box.top) {
      box.scrollTo(Math.max(0, bottom - box.height));
    }
    drawOutput();
  }

  function drawOutput() {
    const box = outputBox;
    const from = Math.floor(box.top / lineHeight);
    const to = Math.min(output.last, from + Math.ceil(box.height / lineHeight));
    const drawn = [];
    for (let line = from; line <= to; ++line) {
      const div = document.createElement('div');
      div.textContent = controller.answerLine(line);
      div.style.top = line * lineHeight + 'px';
      if (line >= output.first) {
        div.className = 'current';
      }
      drawn.push(div);
    }
    $('output-lines').replaceChildren(...drawn);
  }

  // A command forward: with questions on, the step shows its start and
  // asks first.
  function forward() {
    if (state.step >= state.summary.steps) {
      return false;
    }
    const shown = controller.show(state.step + 1);
    const question = $('predict-toggle').checked
      ? pg.lesson.question(state.view, controller.indexTo(shown.step) && controller.marks()[shown.step - 1])
      : null;
    asking = question;
    view.renderPredict($('predict'), question, answer);
    render(question ? controller.show(shown.step, { substep: 0 }) : shown);
    return true;
  }

  function answer(choice) {
    const right = choice === asking.answer;
    state.score = pg.lesson.scored(state.score, choice, asking.answer);
    $('score').textContent = `${state.score.right} of ${state.score.asked}`;
    const said = choice === 'skip' ? '' : right ? 'Right. ' : `Not quite: it is “${asking.answer}”. `;
    asking = null;
    $('predict').hidden = true;
    render(controller.show(state.step));
    if (said) {
      $('note').prepend(said);
    }
  }

  function bySub(delta) {
    asking = null;
    $('predict').hidden = true;
    render(controller.moveSub(delta));
  }

  // Playing steps through the sub-steps on its own; until a kind of step,
  // it goes there first.
  function play(until = 0) {
    stopPlaying();
    if (until) {
      const step = controller.find(until, state.step);
      if (!step) {
        setStatus('No later step of that kind.');
        return;
      }
      show(step, { substep: 0 });
    }
    $('play').setAttribute('aria-pressed', 'true');
    $('play').textContent = '❚❚ Pause';
    const tick = () => {
      const atEnd = state.substep === state.view.substeps.length - 1;
      if ((until && atEnd) || (atEnd && state.step >= state.summary.steps)) {
        stopPlaying();
        return;
      }
      bySub(1);
      playing = setTimeout(tick, (reducedMotion.matches ? 350 : 700) / Number($('speed').value));
    };
    playing = setTimeout(tick, 0);
  }

  function stopPlaying() {
    clearTimeout(playing);
    playing = null;
    $('play').setAttribute('aria-pressed', 'false');
    $('play').textContent = '▶ Play';
  }

  function check(bytes, normalised) {
    const result = controller.check(bytes, { normalised });
    if (controller.lost) {
      recoverEngine();
    }
    if (result.step > 0) {
      show(result.step);
    }
    const verdict = $('verdict');
    verdict.className = result.agrees ? 'agree' : 'differ';
    verdict.textContent = result.text;
    // Each variant that explains the difference, with a way to its rule.
    $('diagnosis').replaceChildren(...result.diagnosis.map((variant) => {
      const line = document.createElement('p');
      const rule = document.createElement('a');
      rule.href = '#';
      rule.textContent = variant.where;
      rule.dataset.rule = variant.ruleId;
      rule.onclick = (event) => {
        event.preventDefault();
        showRule(variant.ruleId);
      };
      line.append(variant.sentence + ' (', rule, ')');
      line.dataset.variant = variant.name;
      return line;
    }));
  }

  // Opens the rules at one of them, lit, and gives it the focus.
  function showRule(id) {
    const rule = document.getElementById(id);
    if (!rule) {
      return;
    }
    $('rules-pane').open = true;
    for (const lit of document.querySelectorAll('#rules .lit')) {
      lit.classList.remove('lit');
    }
    rule.classList.add('lit');
    rule.tabIndex = -1;
    rule.scrollIntoView({ block: 'center' });
    rule.focus();
  }

  function download(name, data) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([data], { type: 'text/plain' }));
    link.download = name;
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 1000);
  }

  async function copyLink() {
    const made = await controller.link();
    if (!made.ok) {
      setStatus(made.message);
      return;
    }
    rememberNow();
    try {
      await navigator.clipboard.writeText(location.href);
      setStatus('Link copied: it reopens this script at this step.');
    } catch (error) {
      window.prompt('Copy this link:', location.href);
    }
  }

  function openBytes(bytes, name, example = null) {
    return load(pg.scriptOf(controller.engine, bytes, name), { example });
  }

  pg.app = { load, show, render, forward, bySub, play, stopPlaying, check, showRule, copyLink, openBytes,
    renderTwin, startIndexing, drawOutput, setStatus, answer, download,
    get tree() { return tree; } };

  async function main() {
    await controller.start();
    pg.rules.draw($('rules'), pg.behaviour);
    outputBox = new pg.Box($('output'), () => drawOutput());
    stripBox = new pg.Box($('timeline-strip'), () => drawTimeline());
    tree = new pg.TreeDrawing($('tree'), {
      expand(key) {
        controller.expand(key);
        show(state.step, { substep: state.substep });
      },
    });
    twinTree = new pg.TreeDrawing($('twin'), {
      expand(key) {
        controller.expand(key, { twin: true });
        renderTwin();
      },
    });
    editor = new pg.ScriptEditor({
      textarea: $('script'), viewer: $('viewer'), gutter: $('gutter'),
      current: $('current-line'), edit: $('edit-long'), marks: $('line-marks'),
    }, {
      edited: (bytes) => load(bytes, { step: state.step, intoEditor: false }),
      lineChosen: (line) => show(controller.stepOfLine(line)),
    });
    pg.wire(pg.app, controller, editor);
    if (!(await pg.openFragment())) {
      const demo = pg.examples[0];
      await openBytes(Uint8Array.from(atob(demo.bytes), (c) => c.charCodeAt(0)), demo.file, 0);
    }
    document.body.dataset.ready = 'true';
  }

  pg.show = (step) => show(step);
  pg.onPaste = (text) => { pastedCrLf = text; };
  pg.pasted = () => pastedCrLf;
  main();
})(globalThis.Playground = globalThis.Playground || {});
