// The page's controller on its own, under node's test runner: the engine
// is the page's own WebAssembly build, and no DOM is involved.
//
// Usage: node --test controller.test.mjs, with ENGINE the built
// morvavl-engine.js (default: build-web/web/morvavl-engine.js at the top of
// the checkout).
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { randomBytes } from 'node:crypto';
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { inflateRawSync } from 'node:zlib';
import vm from 'node:vm';

const top = join(dirname(fileURLToPath(import.meta.url)), '..', '..');
const enginePath = process.env.ENGINE || join(top, 'build-web/web/morvavl-engine.js');
globalThis.createEngine = createRequire(import.meta.url)(enginePath);
for (const script of ['share.js', 'engine.js', 'text.js', 'verdict.js', 'controller.js', 'lesson.js']) {
  vm.runInThisContext(readFileSync(join(top, 'web/page', script), 'utf8'), { filename: script });
}
const pg = globalThis.Playground;
const bytes = (text) => new TextEncoder().encode(text);

async function controllerFor(script) {
  const controller = new pg.Controller(() => pg.Engine.create(), pg.share);
  await controller.start();
  const loaded = await controller.load(bytes(script));
  assert.equal(loaded.ok, true);
  return controller;
}

const demo = readFileSync(join(top, 'examples/demo.txt'), 'utf8');

test('a step is plain data: its command, answers, note, and where its answers stand', async () => {
  const controller = await controllerFor(demo);
  assert.match(controller.state.summary.countNote, /^14 commands follow/);
  const step = controller.show(5);
  assert.equal(step.command, 'line 6: search "Abe"');
  assert.equal(step.answers, '10000000');
  assert.equal(step.line, 6);
  assert.deepEqual(step.output, { first: 4, last: 4 });
  assert.equal(controller.show('last').step, 14);
  assert.equal(controller.show(99).step, 14);
  assert.equal(controller.show(0).command, 'line 1: the count line');
  assert.equal(controller.stepOfLine(3), 2);
  assert.equal(controller.answerLine(6), 'Abe, Bea, Cara, Dee Ray');
});

test('a check tells each kind of difference as the comparison finds it', async () => {
  const controller = await controllerFor(demo);
  const answers = controller.state.answers;
  const lines = answers.split('\n');
  const checked = (text, options) => controller.check(bytes(text), options).text;

  assert.match(checked(answers), /^The answers agree: 14 lines, byte for byte\.$/);
  // An extra line is quoted as itself.
  assert.match(checked(answers + 'extra\n'),
    /After the last answer line \(14\), your program wrote more:\n {2}written: {2}extra\ndiagnosis: none of the known misreadings$/);
  // A missing final line feed, a trailing space and a CR are told.
  assert.match(checked(answers.slice(0, -1)),
    /differ at script line 15 \(step 14\), in answer line 14:\n {2}expected: unsuccessful\n {2}written: {2}unsuccessful \(no line feed\)/);
  const spaced = lines.map((line, i) => (i === 6 ? line + ' ' : line)).join('\n');
  assert.match(checked(spaced), /expected: Abe, Bea, Cara, Dee Ray\n {2}written: {2}Abe, Bea, Cara, Dee Ray␠\n {2}\(it ends in a space that morvavl's line does not have\)/);
  assert.match(checked(answers.replace(/\n/g, '\r\n')),
    /line 2 \(step 1\), in answer line 1:\n {2}expected: successful\n {2}written: {2}successful␍\n {2}\(it ends in a CR/);
  // A program that stopped short.
  assert.match(checked(lines.slice(0, 3).join('\n') + '\n'),
    /written: {2}\(nothing more\)\n {2}your program wrote 3 of the 14 answer lines expected/);
  // The note of the step that differs, and a word on normalised line ends.
  const result = controller.check(bytes(spaced), { normalised: true });
  assert.equal(result.step, 7);
  assert.match(result.text, /why: 4 names in in-order: by ascending ID/);
  assert.match(result.text, /CR LF line ends, which the text box turns into LF/);
});

test('a difference far into a long script is found at its own line, and shown', async () => {
  const commands = 100005;
  let script = `${commands}\n`;
  for (let i = 0; i < commands; ++i) {
    script += 'printLevelCount\n';
  }
  const controller = await controllerFor(script);
  assert.equal(controller.state.summary.steps, commands);
  const output = '0\n'.repeat(commands - 1) + '1\n';
  const result = controller.check(bytes(output));
  assert.equal(result.step, commands);
  assert.match(result.text, /^The answers first differ at script line 100006 \(step 100,005\), in answer line 100,005:/);
  assert.match(result.text, /why: the root's stored height: the tree has 0 levels|why: the tree is empty/);
});

test('a script without answers, and output for it', async () => {
  const controller = await controllerFor('0\n');
  assert.match(controller.check(bytes('')).text, /^The answers agree: 0 lines/);
  assert.match(controller.check(bytes('x\n')).text,
    /^morvavl writes no answer for this script, but your program wrote:\n {2}written: {2}x\ndiagnosis: none/);
});

test('a link is made when asked for, and only for a script that fits one', async () => {
  const controller = await controllerFor(demo);
  assert.equal(controller.fragment(), null);
  controller.show(3);
  const made = await controller.link();
  assert.equal(made.ok, true);
  const fields = new URLSearchParams(made.fragment.slice(1));
  assert.equal(fields.get('step'), '3');
  assert.equal(inflateRawSync(Buffer.from(fields.get('s'), 'base64url')).toString(), demo);
  controller.show('last');
  assert.match(controller.fragment(), /&step=last$/);

  // The address follows the step, but never over a link that came in.
  controller.adopt('');
  assert.equal(controller.fragmentFor(''), controller.fragment());
  assert.equal(controller.fragmentFor(controller.fragment()), null);
  controller.show(2);
  assert.equal(controller.fragmentFor('#s=another'), null);
  controller.adopt('#s=another');
  assert.match(controller.fragmentFor('#s=another'), /&step=2$/);

  // Bytes that do not compress: a link would be far too long.
  const noise = '1\n' + Array.from(randomBytes(3000000), (b) => String.fromCharCode(33 + b % 90)).join('');
  const long = await controllerFor(noise);
  const refused = await long.link();
  assert.equal(refused.ok, false);
  assert.equal(refused.message, 'This script is too long for a link.');
  assert.equal(long.fragment(), null);
});

test('bytes are made visible', () => {
  assert.equal(pg.visible('a b\t\r  '), 'a b␉␍␠␠');
  assert.equal(pg.visible('\u0000\u00e9'), '\\x00\\xE9');
  const starts = pg.lineStarts('a\nbc\n');
  assert.deepEqual(Array.from(starts), [0, 2, 5]);
  assert.equal(pg.lineOf(starts, 3), 1);
});

test('a check diagnoses a misreading by the variant that explains it', async () => {
  // removeInorder counted from 1: the demo's "removeInorder 1" removes Abe.
  const script = '4\ninsert "Abe" 10000000\ninsert "Bea" 20000000\nremoveInorder 1\nprintInorder\n';
  const controller = await controllerFor(script);
  const result = controller.check(bytes('successful\nsuccessful\nsuccessful\nBea\n'));
  assert.deepEqual(result.diagnosis.map((variant) => variant.name), ['positions-from-1']);
  assert.match(result.text, /\ndiagnosis: positions-from-1$/);
  assert.equal(result.diagnosis[0].ruleId, 'rule-2-removeinorder');
  assert.match(controller.check(bytes('x\n')).text, /\ndiagnosis: none of the known misreadings$/);
  assert.deepEqual(controller.check(bytes('successful\nsuccessful\nsuccessful\nAbe\n')).diagnosis, []);
});

test('a step opens into its sub-steps, in the order the tree made them', async () => {
  // 30, 10, 20: the third insert makes a left-right rotation at the root.
  const controller = await controllerFor('3\ninsert "Cara" 30000000\ninsert "Abe" 10000000\ninsert "Bea" 20000000\n');
  const shown = controller.show(3);
  const kinds = shown.substeps.map((substep) => substep.kind);
  assert.deepEqual(kinds, ['compare', 'compare', 'link', 'recompute', 'recompute', 'rotate-left-right',
    'rotation-half', 'done']);
  assert.equal(shown.firstRotation, 'left-right');
  assert.equal(shown.substep, kinds.length - 1);
  const rotation = shown.substeps[5];
  assert.equal(rotation.rule, 'rule-3-rebalancing');
  assert.deepEqual(rotation.read, ['n = 30000000 "Cara": bf = +2', 'c = 10000000 "Abe": bf = -1',
    'c leans the other way, or not at all: a double rotation',
    '10000000 "Abe": height 1, balance 0', '20000000 "Bea": height 2, balance +1']);
  assert.equal(rotation.taken, 2);
  // Each sub-step's drawing: after the rotation, Bea is the root.
  const root = (nodes) => nodes.find((node) => node.parent === '').id;
  assert.equal(root(shown.nodes), '20000000');
  assert.equal(root(controller.show(3, { substep: 0 }).nodes), '30000000');
  // Shift+arrows: past the last sub-step, the next step's first; before the
  // first, the last of the step before.
  assert.equal(controller.moveSub(-1).step, 2);
  assert.equal(controller.state.substep, controller.state.view.substeps.length - 1);
  assert.deepEqual([controller.moveSub(1).step, controller.state.substep], [3, 0]);
});

test('the timeline marks each step, and finds the next of a kind', async () => {
  const script = readFileSync(join(top, 'examples/stale.txt'), 'utf8');
  const controller = await controllerFor(script);
  while (!controller.index().done) {
    // gathered a slice at a time
  }
  const marks = Array.from(controller.marks());
  assert.equal(marks.length, 10);
  assert.equal(controller.find(1024, 0), 9); // the far successor's removal
  assert.equal(controller.find(32, 0), 10); // the stale level count
  assert.equal(controller.find(15, 0), 0); // no rotation at all
  assert.equal(controller.find(1024, 10, -1), 9);
  assert.equal(controller.findId('45000000', 0), 8);
});

test('the textbook twin parts where a removal retraces', async () => {
  const script = readFileSync(join(top, 'examples/stale.txt'), 'utf8');
  const controller = await controllerFor(script);
  controller.setTwin(true);
  controller.show(10);
  const twin = controller.twin();
  assert.equal(twin.parting, 9);
  const root = twin.nodes.find((node) => node.parent === '');
  assert.deepEqual([root.id, root.height], ['45000000', 3]); // exact, where morvavl keeps 4
});

test('questions before a step are answered by the engine, and scored', async () => {
  const controller = await controllerFor('3\ninsert "Cara" 30000000\ninsert "Abe" 10000000\ninsert "Bea" 20000000\n');
  controller.show(3);
  const question = pg.lesson.question(controller.state.view, 0);
  assert.equal(question.answer, 'left-right');
  assert.deepEqual(question.choices.map(([choice]) => choice), ['none', 'left', 'right', 'left-right', 'right-left']);
  let score = pg.lesson.scored({ asked: 0, right: 0 }, 'left-right', question.answer);
  score = pg.lesson.scored(score, 'left', question.answer);
  score = pg.lesson.scored(score, 'skip', question.answer);
  assert.deepEqual(score, { asked: 2, right: 1 });
  controller.show(1);
  assert.equal(pg.lesson.question(controller.state.view, 0).answer, 'none');
});

test('each drill shows its quirk', async () => {
  let seed = 1;
  const random = () => ((seed = (seed * 16807) % 2147483647) / 2147483647);
  const quirks = { stale: 32, duplicate: 64, grandchild: 16, successor: 1024 };
  for (const [kind, mask] of Object.entries(quirks)) {
    for (let round = 0; round < 4; ++round) {
      const controller = await controllerFor(pg.lesson.drill(kind, random));
      assert.notEqual(controller.find(mask, 0), 0, `${kind}, round ${round}`);
    }
  }
});

test('an engine that runs out of memory on a step gives way to a fresh one', async () => {
  const controller = await controllerFor(demo);
  const failing = controller.engine;
  failing.view = () => {
    throw new RangeError('out of memory');
  };
  const shown = controller.show(5);
  assert.equal(controller.lost, true);
  assert.equal(shown.step, 0);
  assert.equal(controller.index().done, true);
  assert.match(controller.check(bytes('x\n')).text, /more memory than the page can have/);
  const recovered = await controller.recover();
  assert.equal(recovered.ok, false);
  assert.notEqual(controller.engine, failing);
  assert.equal(controller.lost, false);
  assert.equal(controller.state.summary.steps, 0);
  assert.equal((await controller.load(bytes(demo))).ok, true);
  assert.equal(controller.show(5).command, 'line 6: search "Abe"');
});
