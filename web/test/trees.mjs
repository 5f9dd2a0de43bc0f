// The page's trees against morvavl-trace: every scenario and 300
// conformance scripts through share links with the textbook twin on, their
// answers, the drawn tree and the twin at the last step; and on every step
// of every scenario, the rotations among the sub-steps and the tree as
// text.
import { readdirSync } from 'node:fs';
import { join } from 'node:path';
import { inflateRawSync } from 'node:zlib';
import {
  check, drawnNodes, drawnTrees, expectedNodes, openLink, run, scenarios, shareLink,
  tracedRotations,
} from './harness.mjs';

// Each step of the script open, as the page shows it: its script line,
// the rotations among its sub-steps and the tree as text.
const everyStep = (tab) => tab.evaluate(() => {
  const pg = window.Playground;
  const steps = [];
  for (let step = 1; step <= pg.state.summary.steps; ++step) {
    pg.show(step);
    const rotations = [...document.querySelectorAll('#substeps li[data-kind^="rotate-"]')]
      .map((item) => `${item.dataset.kind} at ${item.textContent.match(/rotation at (\d{8})/)[1]}` +
        (item.dataset.fallback ? ' (fallback)' : ''));
    const text = [...document.querySelectorAll('#tree-text li[data-id]')]
      .map((item) => `${item.getAttribute('aria-level')}: ` +
        item.firstChild.textContent.replace(/( records?),.*$/, '$1'));
    steps.push({ line: pg.state.view.line, rotations, text });
  }
  return steps;
});

// Opens a script's link with the twin, and checks the last step against
// morvavl and its trace, and the twin against the trace of the textbook
// tree.
async function checkLastStep(tab, what, script, fresh) {
  try {
    await openLink(tab, shareLink(script, 'last', true), 'all', fresh);
  } catch (error) {
    check(false, `${what}: the link does not open: ${error.message.split('\n')[0]}`);
    return;
  }
  check((await tab.textContent('#answers')) === run('morvavl', [], script).toString(), `${what}: #answers`);
  check((await drawnNodes(tab)) === expectedNodes(script), `${what}: the drawn nodes at the last step`);
  check((await drawnNodes(tab, '#twin')) === expectedNodes(script, 'textbook'),
    `${what}: the textbook twin at the last step`);
}

async function checkEveryStep(tab, name, script) {
  const rotations = tracedRotations(script);
  const trees = drawnTrees(script);
  let rotated = 0;
  for (const [index, shown] of (await everyStep(tab)).entries()) {
    const at = `${name}, step ${index + 1} (line ${shown.line})`;
    const told = rotations.get(shown.line) || [];
    rotated += told.length;
    check(JSON.stringify(shown.rotations) === JSON.stringify(told),
      `${at}: the sub-steps rotate ${shown.rotations.join(', ') || 'nothing'}, the trace ${told.join(', ') || 'nothing'}`);
    const tree = trees.get(shown.line);
    check(tree !== undefined && JSON.stringify(shown.text) === JSON.stringify(tree),
      `${at}: the tree as text\n  ${shown.text.join('\n  ')}\nis not --draw's\n  ${(tree || []).join('\n  ')}`);
  }
  return rotated;
}

export async function checkTrees(tab) {
  // Every scenario: opened as a file, then reopened through its share link.
  let rotations = 0;
  for (const name of readdirSync(scenarios).filter((f) => f.endsWith('.scn')).sort()) {
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
    await checkLastStep(tab, name, script, true);
    rotations += await checkEveryStep(tab, name, script);
  }
  check(rotations >= 10, `the scenarios rotate ${rotations} times: too few to check the sub-steps`);
  console.log(`scenarios: done (${rotations} rotations)`);

  for (let seed = 1; seed <= 300; ++seed) {
    const script = run('tools/morvavl-generate', ['conformance', '300', String(seed)]);
    await checkLastStep(tab, `conformance ${seed}`, script, seed === 1);
  }
  console.log('conformance scripts: done');
}
