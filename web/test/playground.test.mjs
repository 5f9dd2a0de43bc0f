// The playground in Debian's Chromium, opened from disk, against morvavl
// and morvavl-trace: the trees of every scenario and 300 conformance
// scripts, and of each step of the scenarios (trees.mjs); stepping with the
// keyboard and the mouse (stepping.mjs); the page as a teacher
// (teaching.mjs); checking another program's output (checking.mjs); links,
// bytes and sizes at the page's edges (edges.mjs); and large scripts, timed
// (large.mjs). No network request, no script error.
//
// Usage: node playground.test.mjs [--headed] [--interaction]; PAGE, BUILD
// (the native build directory) and SCENARIOS default to build-web/, build/
// and tests/scenarios/ at the top of the checkout. --interaction runs only
// what a person does with the keyboard and the mouse.
import { chromium } from 'playwright-core';
import { checkChecking } from './checking.mjs';
import { checkEdges } from './edges.mjs';
import { check, failed, page } from './harness.mjs';
import { checkLarge } from './large.mjs';
import { checkStepping } from './stepping.mjs';
import { checkTeaching } from './teaching.mjs';
import { checkTrees } from './trees.mjs';

const headed = process.argv.includes('--headed');
const everything = !process.argv.includes('--interaction');

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
try {
  if (everything) {
    await checkTrees(tab);
  }
  await checkStepping(tab, browser);
  await checkTeaching(tab);
  await checkChecking(tab);
  if (everything) {
    await checkEdges(tab);
    await checkLarge(tab);
  }
} catch (error) {
  check(false, 'the test stopped: ' + error.stack);
}
check(requests.length === 0, 'no network requests: ' + requests.join(' '));
check(errors.length === 0, 'no script errors: ' + errors.join(' '));
await browser.close();
console.log(failed() ? `${failed()} checks failed` : `all checks passed${headed ? ' (headed)' : ''}`);
process.exit(failed() ? 1 : 0);
