// Takes docs/playground.png: the stale-heights example at the removal that
// leaves heights stale, at 1280x800, in the light scheme.
// Usage: PAGE=build-web/morvavl-playground.html node web/test/screenshot.mjs OUT.png
import { chromium } from 'playwright-core';
import { resolve } from 'node:path';

const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking'],
});
const tab = await browser.newPage({ viewport: { width: 1280, height: 800 }, colorScheme: 'light' });
await tab.goto('file://' + resolve(process.env.PAGE));
await tab.waitForSelector('body[data-ready=true]');
await tab.selectOption('#examples', { label: 'Stale heights after removals' });
await tab.evaluate(() => window.Playground.show(9));
await tab.waitForTimeout(600);
await tab.screenshot({ path: process.argv[2] });
await browser.close();
