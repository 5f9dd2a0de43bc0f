// Puts the playground into one HTML file: the page, its style and scripts,
// the engine (whose WebAssembly is inside its script) and the examples, so
// that the file opens from disk or from any server and asks for nothing.
// Usage: node build.mjs --engine ENGINE.js --out PAGE.html EXAMPLE...
import { readFileSync, writeFileSync } from 'node:fs';
import { basename } from 'node:path';

const args = process.argv.slice(2);
const option = (name) => args.splice(args.indexOf(name), 2)[1];
const engine = option('--engine');
const out = option('--out');

const titles = {
  'demo.txt': "The README's demo: every command",
  'stale.txt': 'Stale heights after removals',
  'trace_rotations.scn': 'Each of the four rotations',
  'stale_left_grandchild.scn': 'A stale factor, a missing grandchild',
  'duplicate_rotates.scn': 'A refused duplicate that rotates',
  'trace_refusals.scn': 'Every rule that refuses a line',
};
const examples = args.map((path) => ({
  title: titles[basename(path)] || basename(path),
  file: basename(path),
  bytes: readFileSync(path).toString('base64'),
}));

const page = (name) => readFileSync(new URL('page/' + name, import.meta.url), 'utf8');
// Inside a script element, "</script" would end it early.
const inline = (code) => '<script>\n' + code.replace(/<\/script/gi, '<\\/script') + '\n</script>';
// The rules the page points into: docs/behaviour.md as it stands.
const behaviour = readFileSync(new URL('../docs/behaviour.md', import.meta.url), 'utf8');
const scripts = [
  readFileSync(engine, 'utf8'),
  'window.Playground = window.Playground || {};\nwindow.Playground.examples = ' +
    JSON.stringify(examples) + ';\nwindow.Playground.behaviour = ' + JSON.stringify(behaviour) + ';',
  page('share.js'), page('engine.js'), page('text.js'), page('layout.js'), page('verdict.js'), page('controller.js'),
  page('lesson.js'), page('rules.js'), page('bytes.js'), page('editor.js'), page('tree.js'), page('stepview.js'),
  page('strip.js'), page('examples.js'), page('wire.js'), page('app.js'),
].map(inline).join('\n');

const html = page('index.html')
  .replace('/*STYLE*/', () => page('style.css'))
  .replace('<!--SCRIPTS-->', () => scripts);
writeFileSync(out, html);
