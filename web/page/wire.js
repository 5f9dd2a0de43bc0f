// What each control and key of the page does: one handler each, calling
// the view (app.js) or the controller. And the link the page was opened
// with, read back.
(function (pg) {
  'use strict';

  const $ = (id) => document.getElementById(id);
  const encoder = new TextEncoder();

  const fileBytes = async (input) => {
    const file = input.files[0];
    input.value = '';
    return file ? { bytes: new Uint8Array(await file.arrayBuffer()), name: file.name } : null;
  };

  function wireStepping(app, controller) {
    const state = controller.state;
    $('first').onclick = () => app.show(0);
    $('back').onclick = () => app.show(state.step - 1);
    $('forward').onclick = () => app.forward();
    $('last').onclick = () => app.show('last');
    $('slider').addEventListener('input', (event) => app.show(event.target.value));
    $('play').onclick = () => (state.playing || $('play').getAttribute('aria-pressed') === 'true'
      ? app.stopPlaying() : app.play());
    $('play-until-go').onclick = () => app.play(Number($('play-until').value));
    const find = (direction) => {
      const step = controller.find(Number($('mark-kind').value), state.step, direction);
      if (step) {
        app.show(step, { substep: 0 });
      } else {
        $('timeline-status').textContent = 'no step of that kind ' + (direction > 0 ? 'after' : 'before') + ' this one';
      }
    };
    $('mark-next').onclick = () => find(1);
    $('mark-prev').onclick = () => find(-1);
    $('go-line').addEventListener('change', (event) => app.show(controller.stepOfLine(Number(event.target.value))));
    $('go-id').addEventListener('change', (event) => {
      const id = event.target.value.trim();
      const step = /^\d{8}$/.test(id) ? controller.findId(id, state.step) : 0;
      if (step) {
        app.show(step);
      } else {
        $('timeline-status').textContent = /^\d{8}$/.test(id)
          ? `no step after this one names ${id}` : 'an ID is 8 digits';
      }
    });
    $('timeline-strip').addEventListener('click', (event) => {
      const rect = event.target.getBoundingClientRect();
      app.show(Math.max(1, Math.round(((event.clientX - rect.left) / rect.width) * state.summary.steps)));
    });
  }

  function wireTree(app, controller) {
    const state = controller.state;
    $('depth').onchange = (event) => {
      controller.setDepth(Number(event.target.value));
      app.show(state.step, { substep: state.substep });
    };
    $('zoom-in').onclick = () => app.tree.zoom(1 / 1.25);
    $('zoom-out').onclick = () => app.tree.zoom(1.25);
    $('fit').onclick = () => app.tree.fit();
    $('follow').onchange = (event) => {
      app.tree.follow = event.target.checked;
      app.show(state.step, { substep: state.substep });
    };
    $('twin-toggle').onchange = (event) => {
      controller.setTwin(event.target.checked);
      $('twin-pane').hidden = !event.target.checked;
      app.startIndexing();
      app.show(state.step, { substep: state.substep });
    };
    const drills = $('drills');
    for (const [kind, drill] of Object.entries(pg.lesson.drills)) {
      drills.add(new Option(drill.title, kind));
    }
    drills.onchange = () => {
      if (drills.value) {
        app.load(encoder.encode(pg.lesson.drill(drills.value)));
        drills.value = '';
      }
    };
    for (const link of document.querySelectorAll('#reference a[data-rule]')) {
      link.onclick = (event) => {
        event.preventDefault();
        app.showRule(link.dataset.rule);
      };
    }
  }

  function wireFiles(app, controller) {
    const state = controller.state;
    // The verdict says when the text compared still holds pasted text
    // whose CR LF line ends the text box turned into LF.
    $('check').onclick = () => {
      const text = $('theirs').value;
      const pasted = pg.pasted();
      app.check(encoder.encode(text), pasted !== null && text.includes(pasted));
    };
    $('theirs').addEventListener('paste', (event) => {
      const pasted = event.clipboardData.getData('text/plain');
      pg.onPaste(pasted.includes('\r') ? pasted.replace(/\r\n?/g, '\n') : null);
    });
    $('open-theirs').onclick = () => $('theirs-file').click();
    $('theirs-file').onchange = async (event) => {
      const file = await fileBytes(event.target);
      if (file) {
        app.check(file.bytes, false);
      }
    };
    $('download-script').onclick = () => app.download('script.txt', state.bytes);
    $('download-answers').onclick = () => app.download('answers.txt', state.answers);
    $('copy-link').onclick = app.copyLink;
    $('open').onclick = () => $('file').click();
    $('file').onchange = async (event) => {
      const file = await fileBytes(event.target);
      if (file) {
        app.openBytes(file.bytes, file.name);
      }
    };
    const examples = $('examples');
    pg.examples.forEach((example, i) => examples.add(new Option(example.title, i)));
    examples.onchange = () => {
      const example = pg.examples[examples.value];
      if (example) {
        app.openBytes(Uint8Array.from(atob(example.bytes), (c) => c.charCodeAt(0)), example.file,
          Number(examples.value));
      }
    };
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
        app.openBytes(new Uint8Array(await file.arrayBuffer()), file.name);
      }
    });
  }

  // → and ← by command, with Shift by sub-step; Home and End; Space plays.
  function wireKeys(app, controller) {
    const state = controller.state;
    document.addEventListener('keydown', (event) => {
      // Text fields and the tree as text keep their own keys, and menus
      // all but ← and → (↑ and ↓ choose in them: → would otherwise open the
      // next example); a button keeps Space, which presses it.
      const sideways = event.key === 'ArrowRight' || event.key === 'ArrowLeft';
      if (event.target.closest('textarea, input, #tree-text') ||
          (!sideways && event.target.closest('select')) ||
          (event.key === ' ' && event.target.closest('button, [role=button]')) ||
          event.altKey || event.ctrlKey || event.metaKey) {
        return;
      }
      if (sideways) {
        event.preventDefault();
        const delta = event.key === 'ArrowRight' ? 1 : -1;
        if (event.shiftKey) {
          app.bySub(delta);
        } else if (delta > 0) {
          app.forward();
        } else {
          app.show(state.step - 1);
        }
      } else if (event.key === ' ') {
        event.preventDefault();
        $('play').click();
      } else if (event.key === 'Home' && !event.target.closest('#tree')) {
        app.show(0);
      } else if (event.key === 'End' && !event.target.closest('#tree')) {
        app.show('last');
      }
    });
  }

  pg.wire = (app, controller, editor) => {
    wireStepping(app, controller);
    wireTree(app, controller);
    wireFiles(app, controller, editor);
    wireKeys(app, controller);
    window.addEventListener('hashchange', pg.openFragment);
    $('output').addEventListener('scroll', app.drawOutput); // after its box hears it
    $('about-link').onclick = (event) => {
      event.preventDefault();
      $('examples').focus();
    };
  };

  // Opens the script of the fragment, if it holds one; false when it holds
  // none. Links are opened one at a time and the last one asked for wins:
  // one that a newer link overtook while it was expanding is dropped. A
  // link that holds no readable script leaves the page empty, says why,
  // and stays in the address bar as it came.
  let ticket = 0;
  let opening = Promise.resolve();
  pg.openFragment = async () => {
    const mine = ++ticket;
    const state = pg.state;
    pg.controller.adopt(location.hash);
    const shared = pg.share.parse(location.hash);
    if (shared.twin !== state.twin) {
      $('twin-toggle').checked = shared.twin;
      pg.controller.setTwin(shared.twin);
      $('twin-pane').hidden = !shared.twin;
    }
    if (!shared.script || shared.script === state.shared) {
      if (shared.script && shared.step !== null && shared.step !== state.step) {
        pg.app.show(shared.step);
      }
      return Boolean(shared.script);
    }
    const before = opening;
    let opened;
    opening = new Promise((resolve) => { opened = resolve; });
    try {
      const decoded = await pg.share.decode(shared.script);
      await before;
      if (mine !== ticket) {
        return true;
      }
      if (decoded.error) {
        await pg.app.load(new Uint8Array(0), { keepAddress: true });
        pg.app.setStatus(`This link cannot be opened: ${decoded.error}.`);
        return true;
      }
      await pg.app.load(decoded.bytes, { step: shared.step === null ? 0 : shared.step,
        shared: shared.script, example: pg.exampleOf(pg.controller.engine, decoded.bytes) });
      return true;
    } finally {
      opened();
    }
  };


})(globalThis.Playground = globalThis.Playground || {});
