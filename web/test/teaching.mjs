// The page as a teacher, as a person uses it: sub-steps by keyboard, the
// rule panel with the values read, play, pause and speed, questions and
// the score, the timeline's "next" against morvavl-trace, the drills, the
// textbook twin's parting, and the start hint.
import { check, openLink, run, shareLink, tracedRotations } from './harness.mjs';

const current = (tab) => tab.evaluate(() => {
  const item = document.querySelector('#substeps li.current');
  return { step: window.Playground.state.step, substep: window.Playground.state.substep,
    kind: item && item.dataset.kind, half: item && item.dataset.half };
});

async function example(tab, label) {
  const runs = Number(await tab.evaluate(() => document.body.dataset.runs));
  await tab.selectOption('#examples', { label });
  await tab.waitForFunction((before) => Number(document.body.dataset.runs) > before, runs);
  await tab.focus('#tree');
}

async function checkSubsteps(tab) {
  await example(tab, 'Each of the four rotations');
  check(await tab.isVisible('#hint'), 'the start hint shows on the empty first step');
  // Shift+→ goes through the sub-steps, into the next command.
  const kinds = [];
  for (let k = 0; k < 80 && (await current(tab)).step <= 5; ++k) {
    await tab.keyboard.press('Shift+ArrowRight');
    const at = await current(tab);
    kinds.push(`${at.step}:${at.kind}${at.half ? '/' + at.half : ''}`);
  }
  check(!(await tab.isVisible('#hint')), 'the hint goes once a step is shown');
  check(kinds.includes('3:rotate-left') && kinds.includes('5:rotate-right-left/1') &&
    kinds.indexOf('5:rotate-right-left/1') < kinds.indexOf('5:rotation-half/2'),
    'Shift+→ shows a single rotation and both halves of a double one in order: ' + kinds.join(' '));
  check(kinds.indexOf('3:link') < kinds.indexOf('3:recompute') &&
    kinds.indexOf('3:recompute') < kinds.indexOf('3:rotate-left'),
    'the link, then the nodes recomputed, then the rotation');
  const before = await current(tab);
  await tab.keyboard.press('Shift+ArrowLeft');
  const back = await current(tab);
  check(back.step === before.step && back.substep === before.substep - 1 ||
    back.step === before.step - 1, 'Shift+← goes a sub-step back');
  await tab.keyboard.press('ArrowRight');
  const on = await current(tab);
  check(on.step === back.step + 1 && on.kind === 'done',
    `→ goes a whole command on, to its end: from ${JSON.stringify(back)} to ${JSON.stringify(on)}`);

  // The rule panel: a decision on a stale value, with the values read.
  await example(tab, 'A stale factor, a missing grandchild');
  await tab.evaluate(() => window.Playground.show(11));
  await tab.click('#substeps li[data-kind="rotate-right"] button');
  const read = await tab.$$eval('#rule-read li', (items) => items.map((i) => i.textContent));
  check(await tab.getAttribute('#substeps li[data-kind="rotate-right"]', 'data-fallback') === 'true',
    'the missing grandchild\'s rotation is a fallback');
  check(read.some((line) => /bf = \+2 \(stored; real \+1\)/.test(line)) &&
    (await tab.textContent('#rule-read li.taken')) === 'c.right: none, so a single rotation',
  'the rule panel reads the stored values and lights the line taken: ' + read.join(' | '));
  check(/rebalanc/i.test(await tab.textContent('#rule-text')), 'the rule panel names the rebalancing rule');
  await tab.click('#note a.record');
  check(await tab.evaluate(() => document.activeElement.closest('#tree') !== null),
    'a record named in the note leads to its node');
}

async function checkPlay(tab) {
  await example(tab, 'Each of the four rotations');
  await tab.selectOption('#speed', '4');
  await tab.focus('#tree');
  await tab.keyboard.press(' ');
  check((await tab.getAttribute('#play', 'aria-pressed')) === 'true', 'Space starts playing');
  await tab.waitForFunction(() => window.Playground.state.step >= 2, null, { timeout: 20000 });
  await tab.click('#play');
  check((await tab.getAttribute('#play', 'aria-pressed')) === 'false', '#play pauses');
  const paused = await current(tab);
  await tab.waitForTimeout(1200);
  const later = await current(tab);
  check(later.step === paused.step && later.substep === paused.substep, 'nothing moves once paused');
  // At a quarter of the pace, a sub-step takes 2.8 s; at four times, 0.175 s.
  await tab.selectOption('#speed', '0.25');
  await tab.evaluate(() => window.Playground.app.show(4, { substep: 0 }));
  await tab.click('#play');
  await tab.waitForTimeout(1500);
  const slow = await current(tab);
  await tab.click('#play');
  check(slow.step === 4 && slow.substep <= 1,
    `at a quarter of the pace, at most one sub-step in 1.5 s: ${JSON.stringify(slow)}`);
  await tab.selectOption('#speed', '4');
  await tab.click('#play');
  await tab.waitForFunction((from) => window.Playground.state.step > from + 1, slow.step, { timeout: 20000 });
  await tab.click('#play');
  // Play until the next rotation stops at its end.
  await tab.evaluate(() => window.Playground.show(0));
  await tab.selectOption('#play-until', '15');
  await tab.click('#play-until-go');
  await tab.waitForFunction(() => document.getElementById('play').getAttribute('aria-pressed') === 'false',
    null, { timeout: 30000 });
  check((await current(tab)).step === 3 && (await current(tab)).kind === 'done',
    'play until the next rotation ends after the first rotating insert');
}

async function checkPredict(tab) {
  await example(tab, 'Each of the four rotations');
  await tab.evaluate(() => window.Playground.show(2));
  await tab.check('#predict-toggle');
  await tab.focus('#tree');
  await tab.keyboard.press('ArrowRight');
  check(await tab.isVisible('#predict'), 'a forward step asks first');
  check((await tab.textContent('#step-answers')) === '', 'the step is hidden until answered');
  await tab.click('#predict button[data-choice="left"]');
  check(!(await tab.isVisible('#predict')) && (await tab.textContent('#score')) === '1 of 1',
    'a right answer scores: ' + await tab.textContent('#score'));
  check((await tab.textContent('#step-answers')) === 'successful', 'the answered step is revealed');
  await tab.keyboard.press('ArrowRight');
  await tab.click('#predict button[data-choice="right"]');
  check((await tab.textContent('#score')) === '1 of 2', 'a wrong answer scores: ' + await tab.textContent('#score'));
  check(/Not quite: it is “none”/.test(await tab.textContent('#note')), 'a wrong answer is told the right one');
  await tab.keyboard.press('ArrowRight');
  await tab.click('#predict button[data-choice="skip"]');
  check((await tab.textContent('#score')) === '1 of 2', 'a skipped question is not scored');
  await tab.uncheck('#predict-toggle');
}

// "Next" of a kind lands where morvavl-trace tells the next such rotation.
async function checkTimeline(tab) {
  const script = run('tools/morvavl-generate', ['conformance', '300', '7']);
  const rotating = [...tracedRotations(script)].filter(([, told]) => told.length);
  const lines = rotating.map(([line]) => line);
  const rightLeft = rotating.filter(([, told]) => told[0].startsWith('rotate-right-left')).map(([line]) => line);
  await openLink(tab, shareLink(script, 0), 'default');
  await tab.waitForSelector('body[data-indexed=true]');
  const landed = async (kind, count) => {
    await tab.selectOption('#mark-kind', kind);
    await tab.evaluate(() => window.Playground.show(0));
    const found = [];
    for (let k = 0; k < count; ++k) {
      await tab.click('#mark-next');
      found.push(await tab.evaluate(() => window.Playground.state.view.line));
    }
    return found;
  };
  const any = await landed('15', Math.min(lines.length, 12));
  check(lines.length >= 12 && JSON.stringify(any) === JSON.stringify(lines.slice(0, 12)),
    `next rotation lands on lines ${any.join(', ')}; the trace rotates on ${lines.slice(0, 12).join(', ')}`);
  const double = await landed('8', Math.min(rightLeft.length, 3));
  check(rightLeft.length >= 1 && JSON.stringify(double) === JSON.stringify(rightLeft.slice(0, 3)),
    `next right-left rotation: ${double.join(', ')}; the trace: ${rightLeft.slice(0, 3).join(', ')}`);
  await tab.click('#mark-prev');
  check((await tab.evaluate(() => window.Playground.state.view.line)) === rightLeft[Math.min(rightLeft.length, 3) - 2] ||
    rightLeft.length < 2, 'previous goes back to the one before');
  await tab.fill('#go-line', '40');
  await tab.press('#go-line', 'Enter');
  check((await tab.evaluate(() => window.Playground.state.view.line)) === 40, 'go to line');
  const id = script.toString().split('\n')[60].match(/\d{8}/);
  if (id) {
    await tab.evaluate(() => window.Playground.show(0));
    await tab.fill('#go-id', id[0]);
    await tab.press('#go-id', 'Enter');
    check((await tab.textContent('#command')).includes(id[0]), `go to ID ${id[0]}`);
  }
  check(/^step \d+ of \d+: line \d+: /.test(await tab.getAttribute('#slider', 'aria-valuetext')),
    'the slider names the step and its command');
}

// Each drill makes the quirk it is for; the twin parts on a stale one.
async function checkDrills(tab) {
  const wanted = { stale: 32, duplicate: 64, grandchild: 16, successor: 1024 };
  for (const [drill, mark] of Object.entries(wanted)) {
    const runs = Number(await tab.evaluate(() => document.body.dataset.runs));
    await tab.selectOption('#drills', drill);
    await tab.waitForFunction((before) => Number(document.body.dataset.runs) > before, runs);
    await tab.waitForSelector('body[data-indexed=true]');
    check(await tab.evaluate((bit) => Array.from(window.Playground.controller.marks()).some((m) => m & bit), mark),
      `the ${drill} drill makes its quirk`);
  }
  await example(tab, 'Stale heights after removals');
  await tab.check('#twin-toggle');
  await tab.click('#last');
  await tab.waitForSelector('body[data-indexed=true]');
  const note = await tab.textContent('#twin-note');
  const parting = await tab.evaluate(() => window.Playground.state.timeline.parting);
  check(parting > 0 && note.includes(`step ${parting}`), 'the twin tells where it parts: ' + note);
  check((await tab.$$('#twin .node')).length > 0, 'the twin is drawn');
  await tab.uncheck('#twin-toggle');
}

export async function checkTeaching(tab) {
  await checkSubsteps(tab);
  await checkPlay(tab);
  await checkPredict(tab);
  await checkTimeline(tab);
  await checkDrills(tab);
  console.log('teaching: done');
}
