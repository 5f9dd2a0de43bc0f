// The playground's view: it hands what a person does to the controller
// (controller.js) and renders what the controller returns. A script runs
// when it is opened or edited; any step is then shown from the engine's
// log. The URL fragment holds the script and the step once a link has been
// made, or when the page was opened from one.
(function (pg) {
  'use strict';

  const lineHeight = 18;
  const $ = (id) => document.getElementById(id);
  const encoder = new TextEncoder();
  const decoder = new TextDecoder();

  const controller = new pg.Controller(() => pg.Engine.create(), pg.share);
  const state = controller.state;
  pg.state = state;
  let editor = null;
  let tree = null;
  let output = { first: 0, last: -1 };
  // Pasted text that held CR LF, as the text box keeps it: with LF only.
  let pastedCrLf = null;

  function setStatus(text) {
    $('status').textContent = text;
  }

  async function load(bytes, { step = 0, intoEditor = true, example = null, shared = null } = {}) {
    const started = performance.now();
    const loaded = await controller.load(bytes, { example, shared });
    if (!loaded.ok) {
      render(controller.show(0));
      editor.setText('');
      setStatus(loaded.message);
      return;
    }
    $('answers').textContent = state.answers;
    $('slider').max = state.summary.steps;
    if (intoEditor) {
      editor.setText(decoder.decode(bytes));
    }
    state.timings.editorText = performance.now() - started;
    $('examples').value = example === null ? '' : String(example);
    setStatus(loaded.status);
    if (shared === null) {
      history.replaceState(null, '', location.pathname + location.search);
    }
    show(step);
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
    const fragment = controller.fragment();
    if (fragment !== null && fragment !== location.hash) {
      history.replaceState(null, '', fragment);
    }
  }

  function show(step) {
    const started = performance.now();
    const shown = controller.show(step);
    render(shown);
    state.timings.view = performance.now() - started;
    return shown;
  }

  function render(shown) {
    const started = performance.now();
    $('slider').value = shown.step;
    $('position').textContent = shown.position;
    $('command').textContent = shown.command;
    $('step-answers').textContent = shown.answers;
    $('note').textContent = shown.note;
    tree.draw(shown.view);
    state.timings.tree = performance.now() - started;
    editor.highlight(shown.line);
    showOutput(shown.output);
    remember();
  }

  // The answers so far, with the current command's marked and in view.
  // Only the lines in view are drawn.
  function showOutput(lines) {
    output = lines;
    const box = $('output');
    const bottom = (lines.last + 1) * lineHeight;
    $('output-lines').style.height = bottom + 'px';
    if (bottom > box.scrollTop + box.clientHeight || lines.first * lineHeight < box.scrollTop) {
      box.scrollTop = Math.max(0, bottom - box.clientHeight);
    }
    drawOutput();
  }

  function drawOutput() {
    const box = $('output');
    const from = Math.floor(box.scrollTop / lineHeight);
    const to = Math.min(output.last, from + Math.ceil(box.clientHeight / lineHeight));
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

  function check(bytes, normalised) {
    const result = controller.check(bytes, { normalised });
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
    let script = bytes;
    if (/\.scn$/.test(name || '')) {
      try {
        script = controller.engine.scenario(bytes) || bytes;
      } catch (error) {
        script = bytes;
      }
    }
    return load(script, { example });
  }

  const fileBytes = async (input) => {
    const file = input.files[0];
    input.value = '';
    return file ? { bytes: new Uint8Array(await file.arrayBuffer()), name: file.name } : null;
  };

  function wire() {
    const stepBy = (delta) => show(state.step + delta);
    $('first').onclick = () => show(0);
    $('back').onclick = () => stepBy(-1);
    $('forward').onclick = () => stepBy(1);
    $('last').onclick = () => show('last');
    $('slider').addEventListener('input', (event) => show(event.target.value));
    $('depth').onchange = (event) => {
      controller.setDepth(Number(event.target.value));
      show(state.step);
    };
    $('zoom-in').onclick = () => tree.zoom(1 / 1.25);
    $('zoom-out').onclick = () => tree.zoom(1.25);
    $('fit').onclick = () => tree.fit();
    $('output').addEventListener('scroll', drawOutput);
    // The verdict says when the text compared still holds pasted text
    // whose CR LF line ends the text box turned into LF.
    $('check').onclick = () => {
      const text = $('theirs').value;
      check(encoder.encode(text), pastedCrLf !== null && text.includes(pastedCrLf));
    };
    $('theirs').addEventListener('paste', (event) => {
      const pasted = event.clipboardData.getData('text/plain');
      pastedCrLf = pasted.includes('\r') ? pasted.replace(/\r\n?/g, '\n') : null;
    });
    $('open-theirs').onclick = () => $('theirs-file').click();
    $('theirs-file').onchange = async (event) => {
      const file = await fileBytes(event.target);
      if (file) {
        check(file.bytes, false);
      }
    };
    $('download-script').onclick = () => download('script.txt', state.bytes);
    $('download-answers').onclick = () => download('answers.txt', state.answers);
    $('copy-link').onclick = copyLink;
    $('open').onclick = () => $('file').click();
    $('file').onchange = async (event) => {
      const file = await fileBytes(event.target);
      if (file) {
        openBytes(file.bytes, file.name);
      }
    };
    const examples = $('examples');
    pg.examples.forEach((example, i) => examples.add(new Option(example.title, i)));
    examples.onchange = () => {
      const example = pg.examples[examples.value];
      if (example) {
        openBytes(Uint8Array.from(atob(example.bytes), (c) => c.charCodeAt(0)), example.file,
          Number(examples.value));
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
        show('last');
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
        show(shared.step);
      }
      return Boolean(shared.script);
    }
    const bytes = await pg.share.decode(shared.script);
    if (!bytes) {
      setStatus('The link holds no script that can be read.');
      return false;
    }
    await load(bytes, { step: shared.step === null ? 0 : shared.step, shared: shared.script });
    return true;
  }

  async function main() {
    await controller.start();
    pg.rules.draw($('rules'), pg.behaviour);
    tree = new pg.TreeDrawing($('tree'), {
      expand(key) {
        controller.expand(key);
        show(state.step);
      },
    });
    editor = new pg.ScriptEditor({
      textarea: $('script'), viewer: $('viewer'), gutter: $('gutter'),
      current: $('current-line'), edit: $('edit-long'),
    }, {
      edited: (text) => load(encoder.encode(text), { step: state.step, intoEditor: false }),
      lineChosen: (line) => show(controller.stepOfLine(line)),
    });
    wire();
    if (!(await openFragment())) {
      const demo = pg.examples[0];
      await openBytes(Uint8Array.from(atob(demo.bytes), (c) => c.charCodeAt(0)), demo.file, 0);
    }
    document.body.dataset.ready = 'true';
  }

  pg.show = (step) => show(step);
  main();
})(globalThis.Playground = globalThis.Playground || {});
