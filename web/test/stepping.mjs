// Stepping as a person does it, with the keyboard and the buttons: every
// step's tree is the tree of the script cut after that step; the examples
// show what they are for; a link reopens the same step.
import { check, drawnNodes, expectedNodes, openLink, run, shareLink } from './harness.mjs';

async function checkKeys(tab) {
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
}

async function checkExamples(tab) {
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
  check((await tab.$eval('#examples', (menu) => menu.selectedOptions[0].textContent)) ===
    'Stale heights after removals', 'the example menu shows what is loaded');
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
}

async function checkLinks(tab, browser) {
  await tab.click('#copy-link');
  await tab.waitForFunction(() => window.Playground.state.shared !== null &&
    location.hash === window.Playground.controller.fragment());
  const link = await tab.evaluate(() => location.href);
  const shownNote = await tab.textContent('#note');
  const second = await browser.newPage();
  await second.goto(link);
  await second.waitForSelector('body[data-ready=true]');
  check((await second.textContent('#note')) === shownNote, 'the link reopens the same step');
  await second.close();
}

export async function checkStepping(tab, browser) {
  await checkKeys(tab);
  await checkExamples(tab);
  await checkLinks(tab, browser);
  console.log('stepping: done');
}
