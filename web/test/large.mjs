// Large scripts: the million commands of the mixed benchmark script,
// opened, and each kind of step on it timed (printed, not judged), with
// the page's heap and the engine's memory after; then a short script whose
// answers pass what the page holds, after which the page goes on.
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { check, openLink, run, shareLink } from './harness.mjs';

const megabytes = (bytes) => `${(bytes / 1048576).toFixed(0)} MB`;

// The time one action on the page takes until the browser has laid the
// page out for the next frame, in ms.
const timed = (tab, action, argument) => tab.evaluate(([source, value]) => {
  const pg = window.Playground;
  const started = performance.now();
  new Function('pg', 'value', source)(pg, value);
  void document.body.offsetHeight;
  return Math.round(performance.now() - started);
}, [action, argument]);

async function checkMillion(tab) {
  const scratch = mkdtempSync(join(tmpdir(), 'playground-'));
  const large = run('tools/morvavl-generate', ['mixed', '1000000', '1']);
  writeFileSync(join(scratch, 'mixed.txt'), large);
  const runs = Number(await tab.evaluate(() => document.body.dataset.runs));
  const started = Date.now();
  await tab.setInputFiles('#file', join(scratch, 'mixed.txt'));
  await tab.waitForFunction((before) => Number(document.body.dataset.runs) > before, runs,
    { timeout: 120000 });
  const opened = Date.now() - started;
  rmSync(scratch, { recursive: true });
  await tab.waitForSelector('body[data-indexed=true]', { timeout: 300000 });
  const indexed = Date.now() - started;
  const steps = await tab.evaluate(() => window.Playground.state.summary.steps);
  check(steps === 1000000, `the large script has ${steps} steps`);
  check((await tab.textContent('#answers')) === run('morvavl', [], large).toString(), 'the large script\'s answers');
  // Each figure is the median of five, each from a step shown before it,
  // untimed. The engine keeps its last eight views: a view asked for again
  // is first pushed out by eight others.
  const show = 'pg.app.show(value)';
  const flush = (round) => tab.evaluate(([total, k]) => {
    for (let i = 1; i <= 8; ++i) {
      window.Playground.app.show(Math.floor((total / 9) * i) + k);
    }
  }, [steps, round]);
  const timedMove = async (move, places, again = false, pause = 0) => {
    const times = [];
    for (const [round, place] of places.entries()) {
      if (again) {
        await flush(round);
      }
      await timed(tab, show, place);
      await tab.waitForTimeout(pause);
      times.push(await timed(tab, move));
    }
    return times.sort((a, b) => a - b)[2];
  };
  const near = (step) => [0, 1, 2, 3, 4].map((k) => Math.max(1, Math.min(steps, step - k * 4099)));
  const figures = {
    first: await timedMove('pg.app.show(1)', near(steps / 2), true),
    last: await timedMove('pg.app.show("last")', near(steps / 2), true),
    middle: await timedMove('pg.app.show(pg.state.step + 250000)', near(steps / 4)),
    'one back from the last': await timedMove('pg.app.show(pg.state.step - 1)', near(steps).map(() => steps), true),
  };
  const places = near(steps / 2 + 7);
  Object.assign(figures, {
    'a command on': await timedMove('pg.app.forward()', places),
    'a command back': await timedMove('pg.app.show(pg.state.step - 1)', places),
    'a command back, after a pause of 0.5 s': await timedMove('pg.app.show(pg.state.step - 1)',
      places.map((p) => p + 11), false, 500),
    'a sub-step on': await timedMove('pg.app.bySub(1)', places.map((p) => p - 1)),
    'a sub-step back': await timedMove('pg.app.bySub(-1)', places),
    'next rotation': await timedMove('pg.app.show(pg.controller.find(15, pg.state.step))', places),
    'next removal case': await timedMove('pg.app.show(pg.controller.find(1920, pg.state.step))', places),
    'previous refusal': await timedMove('pg.app.show(pg.controller.find(2048, pg.state.step, -1))', places),
    'go to a line': await timedMove('pg.app.show(pg.controller.stepOfLine(765432))', places),
  });
  await tab.check('#twin-toggle');
  await tab.waitForSelector('body[data-indexed=true]', { timeout: 300000 });
  figures['with the twin: middle'] = await timedMove('pg.app.show(pg.state.step + 250000)', near(steps / 4));
  figures['with the twin: a command on'] = await timedMove('pg.app.forward()', places);
  await tab.uncheck('#twin-toggle');
  const memory = await tab.evaluate(() => ({
    heap: performance.memory ? performance.memory.usedJSHeapSize : 0,
    engine: window.Playground.controller.engine.module.HEAPU8.length,
  }));
  console.log(`1,000,000 commands: opened in ${opened} ms, timeline gathered by ${indexed} ms`);
  console.log('  steps shown, in ms (medians of five): ' + Object.entries(figures).map(([k, v]) => `${k} ${v}`).join('; '));
  console.log(`  memory after: the page's heap ${megabytes(memory.heap)}, the engine's ${megabytes(memory.engine)}`);
}

// A short script whose answers pass the 64 MB the page holds: 3,000 records
// listed again and again. The page stops running at the cap and says so at
// once, rather than running every command after it; what it holds is
// morvavl's answers up to there. Then the page goes on with the next one.
async function checkPastTheCap(tab) {
  const listings = 200000;
  let script = `${3000 + listings}\n`;
  const letters = (i) => [...String(i)].map((digit) => 'abcdefghij'[digit]).join('');
  for (let i = 0; i < 3000; i++) {
    script += `insert "Record ${letters(i)} of many" ${10000000 + i * 7919}\n`;
  }
  script += 'printInorder\n'.repeat(listings);
  const bytes = Buffer.from(script);
  const link = shareLink(bytes, 'last');
  const started = Date.now();
  await openLink(tab, link, 'default', false);
  const status = await tab.textContent('#status');
  const stoppedAt = Number((/stopped at step ([\d,]+)/.exec(status) || ['', 'NaN'])[1].replace(/,/g, ''));
  console.log(`past the answers' cap: a ${Math.round(link.length / 1024)} KB link, stopped at ` +
    `step ${stoppedAt} in ${Date.now() - started} ms`);
  check(stoppedAt > 3000 && stoppedAt < 3000 + listings, 'the page says where it stopped: ' + status);
  const held = await tab.evaluate(() => document.getElementById('answers').textContent.length);
  const lines = script.split('\n');
  const upToThere = Buffer.from([String(stoppedAt), ...lines.slice(1, stoppedAt + 1)].join('\n') + '\n');
  const expected = run('morvavl', [], upToThere);
  const prefix = await tab.evaluate((size) => document.getElementById('answers').textContent.slice(-size),
    4096);
  check(held > 60 * 1048576 && held <= expected.length &&
    expected.subarray(held - 4096, held).toString() === prefix,
    'what the page holds is morvavl\'s answers up to the cap');
  check(/printInorder/.test(await tab.textContent('#command')) &&
    (await tab.textContent('#note')).length > 0, 'its last step shows');
  const small = Buffer.from('2\ninsert "A" 12345678\nprintInorder\n');
  await openLink(tab, shareLink(small, 'last'), 'default', false);
  check((await tab.textContent('#answers')) === run('morvavl', [], small).toString(),
    'a script after one that passed the cap');
}

export { checkPastTheCap };

export async function checkLarge(tab) {
  await checkMillion(tab);
  await checkPastTheCap(tab);
  console.log('large scripts: done');
}
