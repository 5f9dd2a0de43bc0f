// How long the page takes on a large script, beside morvavl itself on the
// same machine: a benchmark, not a test. Each round runs morvavl on the
// script, then opens it in the page (Debian's Chromium, headless) and
// takes the engine's run time, the time until the page answers a key, and
// the time to show a few steps. Medians are printed.
//
// Usage: node timing.mjs SCRIPT [ROUNDS]; PAGE and BUILD default to
// build-web/ and build/ at the top of the checkout.
import { chromium } from 'playwright-core';
import { spawnSync } from 'node:child_process';
import { openSync, closeSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const top = join(dirname(fileURLToPath(import.meta.url)), '..', '..');
const page = process.env.PAGE || join(top, 'build-web/morvavl-playground.html');
const build = process.env.BUILD || join(top, 'build');
const [script, roundsText = '5'] = process.argv.slice(2);
if (!script) {
  console.error('usage: node timing.mjs SCRIPT [ROUNDS]');
  process.exit(2);
}
const rounds = Number(roundsText);
const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
};

function native() {
  const input = openSync(script, 'r');
  const output = openSync('/dev/null', 'w');
  const started = process.hrtime.bigint();
  spawnSync(join(build, 'morvavl'), [], { stdio: [input, output, 'inherit'] });
  const took = Number(process.hrtime.bigint() - started) / 1e6;
  closeSync(input);
  closeSync(output);
  return took;
}

const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking',
    '--disable-component-update', '--disable-sync', '--no-first-run'],
});
const tab = await browser.newPage({ viewport: { width: 1280, height: 800 } });
await tab.goto('file://' + page);
await tab.waitForSelector('body[data-ready=true]');

const figures = { native: [], run: [], answersKeys: [], ratio: [], steps: [] };
for (let round = 0; round < rounds; ++round) {
  const nativeTime = native();
  const runs = Number(await tab.evaluate(() => document.body.dataset.runs));
  const started = Date.now();
  await tab.setInputFiles('#file', script);
  await tab.waitForFunction((before) => Number(document.body.dataset.runs) > before, runs,
    { timeout: 600000, polling: 20 });
  await tab.focus('#tree');
  await tab.keyboard.press('ArrowRight');
  await tab.waitForFunction(() => window.Playground.state.step === 1, null, { polling: 10 });
  const answersKeys = Date.now() - started;
  const run = await tab.evaluate(() => window.Playground.state.timings.run);
  const steps = [];
  for (const step of ['last', 1, 'middle', 'back']) {
    steps.push(await tab.evaluate((s) => {
      const pg = window.Playground;
      const target = s === 'middle' ? Math.floor(pg.state.summary.steps / 2)
        : s === 'back' ? pg.state.summary.steps - 1 : s;
      pg.show(target);
      return pg.state.timings.view;
    }, step));
  }
  figures.native.push(nativeTime);
  figures.run.push(run);
  figures.ratio.push(run / nativeTime);
  figures.answersKeys.push(answersKeys);
  figures.steps.push(Math.max(...steps));
  console.log(`round ${round + 1}: morvavl ${Math.round(nativeTime)} ms, page run ` +
    `${Math.round(run)} ms (${(run / nativeTime).toFixed(2)}x), answers keys after ` +
    `${answersKeys} ms, slowest of four steps ${Math.round(Math.max(...steps))} ms`);
}
console.log(`medians: morvavl ${Math.round(median(figures.native))} ms, page run ` +
  `${Math.round(median(figures.run))} ms, ratio ${median(figures.ratio).toFixed(2)}x, ` +
  `answers keys after ${Math.round(median(figures.answersKeys))} ms, slowest step ` +
  `${Math.round(median(figures.steps))} ms`);
await browser.close();
