// Checking another program's output on the page, as morvavl-compare does:
// the line named, the step gone to, the diagnosis with its rule, and the
// verdicts of the one comparison as a person gets them.
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { build, check, openLink, run, scenarios, shareLink } from './harness.mjs';

const faulty = (fault, input) => execFileSync(join(build, 'tests/faulty_program'), [fault], { input });

// A faulty program's output: the page names the line morvavl-compare names.
async function checkFaulty(tab) {
  const script = run('tools/morvavl-generate', ['conformance', '300', '5']);
  const scratch = mkdtempSync(join(tmpdir(), 'playground-'));
  writeFileSync(join(scratch, 'script.txt'), script);
  let report = '';
  try {
    execFileSync(join(build, 'tools/morvavl-compare'), ['--script', join(scratch, 'script.txt'),
      join(build, 'tests/faulty_program'), 'swap-listing']);
  } catch (error) {
    report = error.stdout.toString();
  }
  rmSync(scratch, { recursive: true });
  const differing = report.match(/at script line (\d+)/)[1];
  await openLink(tab, shareLink(script, 1));
  await tab.fill('#theirs', faulty('swap-listing', script).toString());
  await tab.click('#check');
  check((await tab.textContent('#verdict')).includes(`differ at script line ${differing} `),
    `the verdict names line ${differing}: ${await tab.textContent('#verdict')}`);
  check((await tab.textContent('#command')).startsWith(`line ${differing}:`),
    'the page goes to the step that differs');

  // A misreading is diagnosed beside the difference, with a way to its rule.
  const misread = run('tools/morvavl-generate', ['conformance', '300', '2']);
  await openLink(tab, shareLink(misread, 0), 'default');
  await tab.fill('#theirs', faulty('positions-from-1', misread).toString());
  await tab.click('#check');
  check((await tab.getAttribute('#diagnosis p', 'data-variant')) === 'positions-from-1',
    'the diagnosis names positions-from-1: ' + await tab.textContent('#verdict'));
  await tab.click('#diagnosis a');
  check(await tab.evaluate(() => document.getElementById('rules-pane').open &&
    document.activeElement.id === 'rule-2-removeinorder' &&
    document.activeElement.classList.contains('lit')), 'the diagnosis opens its rule');
}

// The verdicts of the one comparison: output opened as a file keeps its
// CR LF line ends; pasted, the text box drops them and the verdict says
// so; an extra line, a trailing space and a missing final line feed are
// each told.
async function checkVerdicts(tab) {
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
}

export async function checkChecking(tab) {
  await checkFaulty(tab);
  await checkVerdicts(tab);
  console.log('checking: done');
}
