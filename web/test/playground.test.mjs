// The playground in Debian's Chromium, opened from disk: every scenario and
// 300 conformance scripts through share links, against morvavl's answers
// and morvavl-trace's shapes; stepping forward and back with the keyboard
// and the mouse; checking a faulty program's output; the time to load a
// 100,000-command script and show its last step (printed, not judged); and
// a script too big for the engine's memory, after which the page goes on.
//
// Usage: node playground.test.mjs [--headed] [--interaction]; PAGE, BUILD
// (the native build directory) and SCENARIOS default to build-web/, build/
// and tests/scenarios/ at the top of the checkout. --interaction runs only what a person does with the
// keyboard and the mouse: stepping, the examples, a check, a link.
import { chromium } from 'playwright-core';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { deflateRawSync, inflateRawSync } from 'node:zlib';

// Defaults: the builds at the top of the checkout, as the README makes them.
const top = join(dirname(fileURLToPath(import.meta.url)), '..', '..');
const page = process.env.PAGE || join(top, 'build-web/morvavl-playground.html');
const build = process.env.BUILD || join(top, 'build');
const scenarios = process.env.SCENARIOS || join(top, 'tests/scenarios');
const headed = process.argv.includes('--headed');
const everything = !process.argv.includes('--interaction');
const run = (program, args, input) =>
  execFileSync(join(build, program), args, { input, maxBuffer: 1 << 30 });

let failures = 0;
function check(condition, what) {
  if (!condition) {
    ++failures;
    console.log('FAILED: ' + what);
  }
}

const shareLink = (bytes, step) =>
  'file://' + page + '#s=' + deflateRawSync(bytes).toString('base64url') + '&step=' + step;

// morvavl-trace --shape, with each node's real height worked out from the
// shape itself: "ID height balance records real" in ID order.
function expectedNodes(script) {
  const lines = run('tools/morvavl-trace', ['--shape'], script).toString().split('\n').filter(Boolean);
  const nodes = lines.map((line) => {
    const [id, height, balance, records] = line.split('\t');
    return { id, height: Number(height), balance: Number(balance), records: Number(records) };
  });
  // Pre-order with counts gives the shape: a node, then `records` nodes.
  let at = 0;
  const real = () => {
    if (at >= nodes.length) {
      return 0;
    }
    const node = nodes[at++];
    const end = at + node.records - 1;
    let left = 0;
    let right = 0;
    if (at < end && nodes[at].id < node.id) {
      left = real();
    }
    if (at < end) {
      right = real();
    }
    node.real = 1 + Math.max(left, right);
    return node.real;
  };
  while (at < nodes.length) {
    real();
  }
  return nodes.sort((a, b) => (a.id < b.id ? -1 : 1))
    .map((n) => `${n.id} ${n.height} ${n.balance} ${n.records} ${n.real}`).join('\n');
}

const drawnNodes = (tab) => tab.$$eval('#tree .node', (groups) => groups
  .map((g) => `${g.dataset.id} ${g.dataset.height} ${g.dataset.balance} ${g.dataset.records} ` +
    (g.dataset.realHeight ?? g.dataset.height))
  .sort().join('\n'));

// Opens a share link in the tab, as a person who follows one does: in a
// fresh page, or, for one open already, by its fragment alone. With levels
// = 'all', every node is drawn, as --shape lists them.
async function openLink(tab, link, levels = 'all', fresh = true) {
  if (fresh) {
    await tab.goto('about:blank');
    await tab.goto(link);
    await tab.waitForSelector('body[data-ready=true]');
  } else {
    const runs = Number(await tab.evaluate(() => document.body.dataset.runs));
    await tab.evaluate((hash) => { location.hash = hash; }, link.slice(link.indexOf('#')));
    await tab.waitForFunction((before) => Number(document.body.dataset.runs) > before, runs);
  }
  if (levels === 'all' && (await tab.inputValue('#depth')) !== '0') {
    await tab.selectOption('#depth', '0');
  }
}


const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  headless: !headed,
  args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking',
    '--disable-component-update', '--disable-sync', '--no-first-run'],
});
const tab = await browser.newPage({ viewport: { width: 1280, height: 800 } });
const requests = [];
tab.on('request', (request) => {
  if (!/^(file|data|blob):/.test(request.url())) {
    requests.push(request.url());
  }
});
const errors = [];
tab.on('pageerror', (error) => errors.push(String(error)));

await tab.goto('file://' + page);
await tab.waitForSelector('body[data-ready=true]');

// Every scenario: opened as a file, then reopened through its share link.
const scenarioFiles = readdirSync(scenarios).filter((f) => f.endsWith('.scn')).sort();
for (const name of everything ? scenarioFiles : []) {
  const runs = Number(await tab.evaluate(() => document.body.dataset.runs));
  await tab.setInputFiles('#file', join(scenarios, name));
  await tab.waitForFunction((before) => Number(document.body.dataset.runs) > before, runs);
  // The link is made when asked for; then the fragment holds it.
  check((await tab.evaluate(() => location.hash)) === '', `${name}: no link before one is asked for`);
  await tab.click('#copy-link');
  await tab.waitForFunction(() => {
    const shared = window.Playground.state.shared;
    return shared !== null && location.hash.startsWith('#s=' + shared + '&');
  });
  const hash = await tab.evaluate(() => location.hash);
  const script = inflateRawSync(Buffer.from(new URLSearchParams(hash.slice(1)).get('s'), 'base64url'));
  await openLink(tab, shareLink(script, 'last'));
  check((await tab.textContent('#answers')) === run('morvavl', [], script).toString(),
    `${name}: #answers`);
  check((await drawnNodes(tab)) === expectedNodes(script), `${name}: the drawn nodes at the last step`);
}
console.log(`scenarios: ${everything ? 'done' : 'left out'}`);

// Conformance scripts: answers, and the tree at the last step.
for (let seed = 1; seed <= (everything ? 300 : 0); ++seed) {
  const script = run('tools/morvavl-generate', ['conformance', '300', String(seed)]);
  await openLink(tab, shareLink(script, 'last'), 'all', seed === 1);
  check((await tab.textContent('#answers')) === run('morvavl', [], script).toString(),
    `conformance ${seed}: #answers`);
  check((await drawnNodes(tab)) === expectedNodes(script),
    `conformance ${seed}: the drawn nodes at the last step`);
}
console.log(`conformance scripts: ${everything ? 'done' : 'left out'}`);

// Stepping with the keyboard and the buttons: every step's tree is the
// tree of the script cut after that step.
const stepped = run('tools/morvavl-generate', ['conformance', '60', '11']);
const lines = stepped.toString().split('\n').slice(1).filter((line, i, all) => i < all.length - 1);
await openLink(tab, shareLink(stepped, 0));
await tab.focus('#tree');
const commands = Math.min(Number(stepped.toString().split('\n')[0]), lines.length);
const cut = (k) => Buffer.from(k + '\n' + lines.slice(0, k).map((l) => l + '\n').join(''));
for (let k = 1; k <= commands; ++k) {
  await tab.keyboard.press('ArrowRight');
  check((await drawnNodes(tab)) === expectedNodes(cut(k)), `step ${k}, forward`);
}
for (let k = commands - 1; k >= commands - 15; --k) {
  await tab.click('#back');
  check((await drawnNodes(tab)) === expectedNodes(cut(k)), `step ${k}, back`);
}
console.log('stepping: done');

// An example, by keyboard: each rotation, a copy-up, a stale height.
await tab.focus('#examples');
await tab.selectOption('#examples', { label: 'Each of the four rotations' });
let notes = '';
for (let k = 0; k < 30; ++k) {
  await tab.click('#forward');
  notes += (await tab.textContent('#note')) + '\n';
}
for (const kind of ['left rotation', 'right rotation', 'leftRight rotation', 'rightLeft rotation']) {
  check(notes.includes(kind), `the rotations example shows a ${kind}`);
}
await tab.selectOption('#examples', { label: 'Stale heights after removals' });
await tab.click('#last');
notes = '';
for (let k = 0; k < 12; ++k) {
  notes += (await tab.textContent('#note')) + '\n';
  await tab.keyboard.press('ArrowLeft');
}
check(notes.includes('moved into its node'), 'the stale example shows a record moving up');
await tab.click('#last');
await tab.keyboard.press('ArrowLeft');
check((await tab.$$('#tree .node[data-real-height]')).length > 0, 'a stale height is marked');

// A faulty program's output: the page names the line morvavl-compare names.
const faultyScript = run('tools/morvavl-generate', ['conformance', '300', '5']);
const faultyOutput = execFileSync(join(build, 'tests/faulty_program'), ['swap-listing'],
  { input: faultyScript });
const scratch = mkdtempSync(join(tmpdir(), 'playground-'));
writeFileSync(join(scratch, 'script.txt'), faultyScript);
let report = '';
try {
  execFileSync(join(build, 'tools/morvavl-compare'), ['--script', join(scratch, 'script.txt'),
    join(build, 'tests/faulty_program'), 'swap-listing']);
} catch (error) {
  report = error.stdout.toString();
}
rmSync(scratch, { recursive: true });
const differing = report.match(/at script line (\d+)/)[1];
await openLink(tab, shareLink(faultyScript, 1));
await tab.fill('#theirs', faultyOutput.toString());
await tab.click('#check');
check((await tab.textContent('#verdict')).includes(`differ at script line ${differing} `),
  `the verdict names line ${differing}: ${await tab.textContent('#verdict')}`);
check((await tab.textContent('#command')).startsWith(`line ${differing}:`),
  'the page goes to the step that differs');

// A misreading is diagnosed beside the difference, with a way to its rule.
const misread = run('tools/morvavl-generate', ['conformance', '300', '2']);
await openLink(tab, shareLink(misread, 0), 'default');
await tab.fill('#theirs', execFileSync(join(build, 'tests/faulty_program'), ['positions-from-1'],
  { input: misread }).toString());
await tab.click('#check');
check((await tab.getAttribute('#diagnosis p', 'data-variant')) === 'positions-from-1',
  'the diagnosis names positions-from-1: ' + await tab.textContent('#verdict'));
await tab.click('#diagnosis a');
check(await tab.evaluate(() => document.getElementById('rules-pane').open &&
  document.activeElement.id === 'rule-2-removeinorder' &&
  document.activeElement.classList.contains('lit')), 'the diagnosis opens its rule');

// The verdicts of the one comparison, as a person gets them: output opened
// as a file keeps its CR LF line ends; pasted, the text box drops them and
// the verdict says so; an extra line, a trailing space and a missing final
// line feed are each told.
const demo = readFileSync(join(scenarios, '..', '..', 'examples', 'demo.txt'));
const demoAnswers = run('morvavl', [], demo).toString();
await openLink(tab, shareLink(demo, 0), 'default');
const verdictFor = async (output) => {
  await tab.fill('#theirs', output);
  await tab.click('#check');
  return tab.textContent('#verdict');
};
const extra = await verdictFor(demoAnswers + 'extra line\n');
check(extra.includes('written:  extra line\ndiagnosis: none of the known misreadings'),
  'an extra line is quoted as itself: ' + extra);
const spaced = demoAnswers.replace('Abe, Bea, Cara, Dee Ray\n', 'Abe, Bea, Cara, Dee Ray \n');
check((await verdictFor(spaced)).includes('written:  Abe, Bea, Cara, Dee Ray␠\n  (it ends in a space'),
  'a trailing space is shown and told');
check((await verdictFor(demoAnswers.slice(0, -1))).includes('written:  unsuccessful (no line feed)'),
  'a missing final line feed is told');
const outputs = mkdtempSync(join(tmpdir(), 'playground-'));
writeFileSync(join(outputs, 'crlf.txt'), demoAnswers.replace(/\n/g, '\r\n'));
await tab.setInputFiles('#theirs-file', join(outputs, 'crlf.txt'));
await tab.waitForFunction(() => /␍/.test(document.getElementById('verdict').textContent));
check((await tab.textContent('#verdict')).includes('written:  successful␍\n  (it ends in a CR'),
  'a CR LF output file: ' + await tab.textContent('#verdict'));
rmSync(outputs, { recursive: true });
await tab.evaluate((text) => {
  const area = document.getElementById('theirs');
  const data = new DataTransfer();
  data.setData('text/plain', text);
  area.dispatchEvent(new ClipboardEvent('paste', { clipboardData: data, bubbles: true }));
  area.value = text.replace(/\r\n/g, '\n');
}, demoAnswers.replace(/\n/g, '\r\n'));
await tab.click('#check');
check(/agree[\s\S]*CR LF line ends, which the text box turns into LF/.test(await tab.textContent('#verdict')),
  'pasted CR LF output: ' + await tab.textContent('#verdict'));

// A link reopens the same step.
await tab.click('#copy-link').catch(() => {});
const link = await tab.evaluate(() => location.href);
const shownNote = await tab.textContent('#note');
const second = await browser.newPage();
await second.goto(link);
await second.waitForSelector('body[data-ready=true]');
check((await second.textContent('#note')) === shownNote, 'the link reopens the same step');

// A 100,000-command script: load it, then show its last step and others.
if (everything) {
  const large = run('tools/morvavl-generate', ['mixed', '100000', '1']);
  const started = Date.now();
  await openLink(tab, shareLink(large, 1), 'default');
  const loaded = Date.now() - started;
  const timings = await tab.evaluate(() => window.Playground.state.timings);
  const views = [];
  for (const step of ['last', 1, 50000, 99999, 2, 'last']) {
    await tab.evaluate((s) => window.Playground.show(s === 'last' ? window.Playground.state.summary.steps : s), step);
    views.push(Math.round(await tab.evaluate(() => window.Playground.state.timings.view)));
  }
  console.log(`100,000 commands: opened in ${loaded} ms (run ${Math.round(timings.run)} ms); ` +
    `steps shown in ${views.join(', ')} ms`);
  check((await tab.textContent('#answers')) === run('morvavl', [], large).toString(), 'the large script\'s answers');
}

// A script that needs more than the engine's 2 GB: the page says so, and
// a fresh engine runs the next script.
if (everything) {
  const huge = mkdtempSync(join(tmpdir(), 'playground-'));
  writeFileSync(join(huge, 'huge.txt'), run('tools/morvavl-generate', ['distinct', '22000000']));
  await tab.setInputFiles('#file', join(huge, 'huge.txt'));
  await tab.waitForFunction(() => /more memory/.test(document.getElementById('status').textContent),
    null, { timeout: 120000 });
  rmSync(huge, { recursive: true });
  const small = Buffer.from('2\ninsert "A" 12345678\nprintInorder\n');
  await openLink(tab, shareLink(small, 'last'), 'default', false);
  check((await tab.textContent('#answers')) === run('morvavl', [], small).toString(),
    'a script after one that ran out of memory');
}

check(requests.length === 0, 'no network requests: ' + requests.join(' '));
check(errors.length === 0, 'no script errors: ' + errors.join(' '));
await browser.close();
console.log(failures ? `${failures} checks failed` : `all checks passed${headed ? ' (headed)' : ''}`);
process.exit(failures ? 1 : 0);
