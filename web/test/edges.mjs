// The page at its edges: links that expand without end, race, or hold no
// script; bytes a text area cannot hold, kept through edits; the example
// menu; a viewer of millions of lines; every node of a large tree asked
// for. Figures are printed, not judged.
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { deflateRawSync } from 'node:zlib';
import { check, openLink, openScript, page, run, shareLink } from './harness.mjs';

const fragmentOf = (bytes) => '#s=' + deflateRawSync(bytes).toString('base64url') + '&step=last';
const heapMB = (tab) => tab.evaluate(() => Math.round(performance.memory.usedJSHeapSize / 1048576));

async function checkLinks(tab) {
  // 256 MiB of line feeds in a link of a few hundred kilobytes.
  const bomb = 'file://' + page + fragmentOf(Buffer.alloc(256 * 1048576, '\n'));
  let started = Date.now();
  await openLink(tab, bomb, 'default');
  const status = await tab.textContent('#status');
  console.log(`a deflate bomb of ${Math.round(bomb.length / 1024)} KB: refused in ` +
    `${Date.now() - started} ms, heap ${await heapMB(tab)} MB`);
  check(/This link cannot be opened: its script would be more than 64 MB/.test(status),
    'a link that expands past 64 MB is refused, saying why: ' + status);
  check((await tab.textContent('#answers')) === '' && (await tab.inputValue('#script')) === '',
    'and the page stays empty');

  for (const [fragment, why] of [['#s=not*base64', 'not written in base64url'],
    [fragmentOf(Buffer.from('2\ninsert "A" 12345678\nprintInorder\n')).slice(0, 21), 'cut short or damaged']]) {
    await openLink(tab, 'file://' + page + fragment, 'default');
    check(new RegExp('This link cannot be opened: .*' + why).test(await tab.textContent('#status')),
      `an unreadable link (${why}) says what is wrong`);
    check((await tab.textContent('#answers')) === '', 'it opens no demo');
    check(await tab.evaluate((hash) => location.hash === hash, fragment),
      'and the address keeps the link as it came');
  }

  // A slow link overtaken by a quick one: the last asked for wins.
  const slow = Buffer.from('1\nprintLevelCount\n' + '\n'.repeat(40 * 1048576));
  const quick = Buffer.from('2\ninsert "Quick" 12345678\nprintInorder\n');
  started = Date.now();
  await tab.evaluate(([first, second]) => {
    location.hash = first;
    setTimeout(() => { location.hash = second; }, 0);
  }, [fragmentOf(slow), fragmentOf(quick)]);
  await tab.waitForFunction(() => /Quick/.test(document.getElementById('answers').textContent),
    null, { timeout: 60000 });
  await tab.waitForTimeout(3000);
  check((await tab.textContent('#answers')) === run('morvavl', [], quick).toString() &&
    (await tab.evaluate(() => location.hash)) === fragmentOf(quick),
    'of two links opened one after the other, the page shows the second');
}

async function checkBytes(tab) {
  // A lone CR inside a line, a byte that is no UTF-8, and CR LF line ends.
  const bytes = Buffer.from('3\r\ninsert "A\rB" 12345678\r\ninsert "\xff" 23456789\nprintInorder\n',
    'latin1');
  await openScript(tab, bytes);
  const expected = run('morvavl', [], bytes).toString();
  check((await tab.inputValue('#script')).includes('A␍B'), 'a lone CR shows as ␍');
  check((await tab.textContent('#answers')) === expected, 'and the page answers as morvavl does');
  const runs = Number(await tab.evaluate(() => document.body.dataset.runs));
  await tab.click('#script');
  await tab.keyboard.press('End');
  await tab.keyboard.type('x');
  await tab.keyboard.press('Backspace');
  await tab.waitForFunction((before) => Number(document.body.dataset.runs) > before, runs);
  check((await tab.textContent('#answers')) === expected,
    'an edit that changes nothing keeps every byte, and the answers');
  const kept = await tab.evaluate(() => Array.from(window.Playground.state.script || []));
  check(kept.length === 0 || Buffer.from(kept).equals(bytes), 'the script is the same bytes');
}

async function checkExamples(tab) {
  await tab.selectOption('#examples', { index: 3 });
  await tab.waitForFunction(() => document.body.dataset.indexed === 'true');
  await tab.click('#copy-link');
  await tab.waitForFunction(() => location.hash.startsWith('#s='));
  const link = await tab.evaluate(() => location.href);
  const title = await tab.$eval('#examples', (menu) => menu.selectedOptions[0].textContent);
  await openLink(tab, link, 'default');
  check((await tab.$eval('#examples', (menu) => menu.selectedOptions[0].textContent)) === title,
    'a reopened link still names its example: ' + title);
  const step = Number(await tab.$eval('#slider', (slider) => slider.value));
  await tab.focus('#examples');
  await tab.keyboard.press('ArrowRight');
  check(Number(await tab.$eval('#slider', (slider) => slider.value)) === step + 1 &&
    (await tab.$eval('#examples', (menu) => menu.selectedOptions[0].textContent)) === title,
    '→ on the example menu steps, and keeps the example');
}

// Opens a large script as a person does, through the file button.
async function openFile(tab, text) {
  const scratch = mkdtempSync(join(tmpdir(), 'playground-'));
  writeFileSync(join(scratch, 'script.txt'), text);
  const runs = Number(await tab.evaluate(() => document.body.dataset.runs));
  await tab.setInputFiles('#file', join(scratch, 'script.txt'));
  await tab.waitForFunction((before) => Number(document.body.dataset.runs) > before, runs,
    { timeout: 120000 });
  rmSync(scratch, { recursive: true });
}

async function checkLarge(tab) {
  // Three million lines (and the empty one after the last line feed): the
  // viewer reaches the last.
  await openFile(tab, '1\nprintLevelCount\n' + 'unread line\n'.repeat(3000000));
  await tab.evaluate(() => {
    const viewer = document.getElementById('viewer');
    viewer.scrollTop = viewer.scrollHeight;
  });
  await tab.waitForTimeout(300);
  const lines = await tab.$$eval('#viewer [data-line]', (shown) => shown.map((line) => Number(line.dataset.line)));
  check(Math.max(...lines) === 3000003, 'the viewer scrolls to the last of 3,000,003 lines: ' +
    Math.max(...lines));

  // Every level of 100,000 records: drawn in bounded time and memory.
  const script = ['100000', ...Array.from({ length: 100000 },
    (_, i) => `insert "N" ${String(10000000 + i * 37).padStart(8, '0')}`)].join('\n') + '\n';
  await openFile(tab, script);
  await tab.evaluate(() => window.Playground.show('last'));
  const started = Date.now();
  await tab.selectOption('#depth', '0');
  await tab.evaluate(() => new Promise((done) => requestAnimationFrame(() => setTimeout(done, 0))));
  const drawn = await tab.$$eval('#tree .node', (nodes) => nodes.length);
  console.log(`"Levels: all" at 100,000 records: ${Date.now() - started} ms, ${drawn} nodes drawn, ` +
    `heap ${await heapMB(tab)} MB`);
  check(drawn > 0 && drawn <= 4096, 'all levels of a large tree draw what the view can show: ' + drawn);
  await tab.selectOption('#depth', '5');
}

export async function checkEdges(tab) {
  await checkLinks(tab);
  await checkBytes(tab);
  await checkExamples(tab);
  await checkLarge(tab);
  console.log('edges: done');
}
