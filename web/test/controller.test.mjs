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
for (const script of ['share.js', 'engine.js', 'controller.js']) {
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

test('a difference past the traced commands is found at its own line', async () => {
  const commands = 100005;
  let script = `${commands}\n`;
  for (let i = 0; i < commands; ++i) {
    script += 'printLevelCount\n';
  }
  const controller = await controllerFor(script);
  assert.equal(controller.state.summary.steps, 100000);
  const output = '0\n'.repeat(commands - 1) + '1\n';
  const result = controller.check(bytes(output));
  assert.equal(result.step, 0);
  assert.match(result.text, /^The answers first differ at script line 100006 \(beyond the 100,000 steps shown\), in answer line 100,005:/);
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
