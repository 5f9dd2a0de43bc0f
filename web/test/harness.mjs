// What the browser tests share: the builds they check the page against, a
// failure count, links, and what morvavl-trace says a tree is, in the forms
// the page shows it.
import { execFileSync } from 'node:child_process';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { deflateRawSync } from 'node:zlib';

// Defaults: the builds at the top of the checkout, as the README makes them.
export const top = join(dirname(fileURLToPath(import.meta.url)), '..', '..');
export const page = process.env.PAGE || join(top, 'build-web/morvavl-playground.html');
export const build = process.env.BUILD || join(top, 'build');
export const scenarios = process.env.SCENARIOS || join(top, 'tests/scenarios');

export const run = (program, args, input) =>
  execFileSync(join(build, program), args, { input, maxBuffer: 1 << 30 });

let failures = 0;
export function check(condition, what) {
  if (!condition) {
    ++failures;
    console.log('FAILED: ' + what);
  }
  return condition;
}
export const failed = () => failures;

export const shareLink = (bytes, step, twin = false) =>
  'file://' + page + '#s=' + deflateRawSync(bytes).toString('base64url') + '&step=' + step +
  (twin ? '&twin=1' : '');

// A --shape listing with each node's real height worked out from the shape
// itself: "ID height balance records real" in ID order.
export function shapeNodes(shape) {
  const nodes = shape.toString().split('\n').filter(Boolean).map((line) => {
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

export const expectedNodes = (script, variant) =>
  shapeNodes(run('tools/morvavl-trace', [...(variant ? ['--variant', variant] : []), '--shape'], script));

// The nodes drawn in an SVG of the page, in the same form.
export const drawnNodes = (tab, svg = '#tree') => tab.$$eval(svg + ' .node', (groups) => groups
  .map((g) => `${g.dataset.id} ${g.dataset.height} ${g.dataset.balance} ${g.dataset.records} ` +
    (g.dataset.realHeight ?? g.dataset.height))
  .sort().join('\n'));

const signed = (value) => (value > 0 ? '+' + value : String(value));

// morvavl-trace --draw --depth 0: for each script line, the tree after it
// as the page's tree as text reads it, one node per line in pre-order:
// "level: ID name, where, height, balance, records".
export function drawnTrees(script) {
  const trees = new Map();
  let line = 0;
  let stack = [];
  for (const text of run('tools/morvavl-trace', ['--draw', '--depth', '0'], script).toString().split('\n')) {
    const after = text.match(/^ {2}tree after line (\d+):$/);
    if (after) {
      line = Number(after[1]);
      trees.set(line, []);
      stack = [];
      continue;
    }
    const node = text.match(/^ {4}((?:[│ ] {3})*)(├── |└── )?(\d{8}) "(.*)" {2}height (\d+)(?: \(stale, real (\d+)\))? {2}balance ([-+]?\d+)(?: \(stale, real ([-+]?\d+)\))? {2}(\d+) records?$/);
    const none = text.match(/^ {4}((?:[│ ] {3})*)(├── |└── )\(none\)$/);
    if (!line || !(node || none) || !trees.has(line)) {
      if (!/^ {4}/.test(text)) {
        line = 0;
      }
      continue;
    }
    const depth = node ? (node[2] ? node[1].length / 4 + 1 : 0) : none[1].length / 4 + 1;
    stack.length = depth;
    const parent = stack[depth - 1];
    // Children come left, then right, a missing one drawn as "(none)".
    const side = depth === 0 ? '' : parent.children++ === 0 ? 'left' : 'right';
    if (none) {
      stack[depth] = { children: 0 };
      continue;
    }
    const [, , , id, name, height, realHeight, balance, realBalance, records] = node;
    stack[depth] = { id, children: 0 };
    const where = depth === 0 ? 'root' : `${side} child of ${parent.id}`;
    const heightText = realHeight ? `height ${height} stored, ${realHeight} real` : `height ${height}`;
    const balanceText = realBalance
      ? `balance factor ${signed(Number(balance))} stored, ${signed(Number(realBalance))} real`
      : `balance factor ${signed(Number(balance))}`;
    trees.get(line).push(`${depth + 1}: ${id} ${name}, ${where}, ${heightText}, ${balanceText}, ` +
      `${records} record${records === '1' ? '' : 's'}`);
  }
  return trees;
}

// The rotations morvavl-trace tells for each script line, as the page's
// sub-steps name them: "rotate-left-right at ID", with " (fallback)" for
// a double rotation that became a single one.
export function tracedRotations(script) {
  const kinds = { left: 'left', right: 'right', leftRight: 'left-right', rightLeft: 'right-left' };
  const rotations = new Map();
  for (const row of run('tools/morvavl-trace', ['--tsv'], script).toString().split('\n')) {
    const [line, , note = ''] = row.split('\t');
    const told = [...note.matchAll(/(left|right|leftRight|rightLeft) rotation at (\d{8}) "[^"]*": \d{8} "[^"]*" rose into its place( \(a single rotation)?/g)]
      .map(([, kind, id, fallback]) => `rotate-${kinds[kind]} at ${id}${fallback ? ' (fallback)' : ''}`);
    rotations.set(Number(line), told);
  }
  return rotations;
}

// Opens a share link in the tab, as a person who follows one does: in a
// fresh page, or, for one open already, by its fragment alone. With levels
// = 'all', every node is drawn, as --shape lists them.
export async function openLink(tab, link, levels = 'all', fresh = true) {
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

// Opens a script as the file button does, given its bytes.
export async function openScript(tab, bytes) {
  const runs = Number(await tab.evaluate(() => document.body.dataset.runs));
  await tab.evaluate((data) => window.Playground.app.openBytes(Uint8Array.from(data), 'script.txt'),
    Array.from(bytes));
  await tab.waitForFunction((before) => Number(document.body.dataset.runs) > before, runs);
}
