// Takes the playground's pictures in docs/: the step pane, with the four
// rotations' example at the second half of its first double rotation and
// the rule that chose it, on a desktop (1280 px wide, the textbook twin
// shown) and on a phone (390 px), each in the light and the dark scheme.
// Usage: PAGE=build-web/morvavl-playground.html node web/test/screenshot.mjs [DIR]
import { chromium } from 'playwright-core';
import { join, resolve } from 'node:path';

const out = process.argv[2] || 'docs';
const shots = [
  { file: 'playground.png', viewport: { width: 1280, height: 800 }, scheme: 'light', twin: true },
  { file: 'playground-dark.png', viewport: { width: 1280, height: 800 }, scheme: 'dark', twin: true },
  { file: 'playground-phone.png', viewport: { width: 390, height: 844 }, scheme: 'light' },
  { file: 'playground-phone-dark.png', viewport: { width: 390, height: 844 }, scheme: 'dark' },
];
const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking'],
});
for (const shot of shots) {
  const tab = await browser.newPage({ viewport: shot.viewport, colorScheme: shot.scheme,
    reducedMotion: 'reduce' });
  await tab.goto('file://' + resolve(process.env.PAGE));
  await tab.waitForSelector('body[data-ready=true]');
  await tab.selectOption('#examples', { label: 'Each of the four rotations' });
  await tab.waitForFunction(() => document.body.dataset.indexed === 'true');
  if (shot.twin) {
    await tab.check('#twin-toggle');
  }
  await tab.check('#follow');
  await tab.selectOption('#mark-kind', { label: 'left-right rotation' });
  await tab.click('#mark-next');
  await tab.evaluate(() => {
    const halves = [...document.querySelectorAll('#substeps [data-kind="rotate-left-right"]')];
    halves[halves.length - 1].querySelector('button, a, [tabindex]')?.click();
  });
  await tab.waitForTimeout(400);
  // The step pane whole: the command, its sub-steps, the rule and the trees.
  await tab.locator('#step-pane').screenshot({ path: join(out, shot.file) });
  await tab.close();
}
await browser.close();
