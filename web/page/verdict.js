// A check's verdict in words (the engine's JSON, web/VerdictJson.h): the
// first difference with both answers, the bytes nobody can see made
// visible, and the diagnosis, each variant with the rule it reads
// another way.
(function (pg) {
  'use strict';

  const { grouped, plural, visible, ruleId } = pg;

  // A shown line of a verdict: its window, with marks for what is cut.
  function shownLine(line) {
    return (line.before ? `[${plural(line.before, 'byte', 'bytes')} as expected] …` : '') +
      visible(line.bytes) +
      (line.after ? `… [${plural(line.after, 'more byte', 'more bytes')}]` : '') +
      (line.complete ? '' : ' (no line feed)');
  }

  // The lines of a verdict that differs, and the step to show.
  function describe(verdict, steps, noteOf, lines) {
    const difference = verdict.difference;
    if (difference.afterLast) {
      lines.push(verdict.linesExpected === 0
        ? 'morvavl writes no answer for this script, but your program wrote:'
        : `After the last answer line (${grouped(verdict.linesExpected)}), your program wrote more:`);
      lines.push('  written:  ' + shownLine(difference.written[0]));
      return 0;
    }
    const where = difference.step > 0 ? `step ${grouped(difference.step)}`
      : `beyond the ${grouped(steps)} steps shown`;
    lines.push(`The answers first differ at script line ${difference.line} (${where}), ` +
      `in answer line ${grouped(difference.answerLine)}:`);
    for (const line of difference.expected) {
      lines.push('  expected: ' + shownLine(line));
    }
    const written = difference.written.slice(0, Math.max(1, difference.expected.length));
    for (const line of written) {
      lines.push('  written:  ' + shownLine(line));
    }
    if (written.length < difference.expected.length) {
      lines.push('  written:  (nothing more)');
    }
    if (difference.unseen) {
      lines.push(`  (${difference.unseen})`);
    }
    if (verdict.linesWritten < verdict.linesExpected) {
      lines.push(`  your program wrote ${grouped(verdict.linesWritten)} of the ` +
        `${plural(verdict.linesExpected, 'answer line', 'answer lines')} expected`);
    }
    if (difference.step > 0) {
      lines.push('  why: ' + noteOf(difference.step));
    }
    return difference.step;
  }

  // {agrees, text, step, diagnosis}: `noteOf(step)` gives a step's note.
  function verdictText(verdict, { steps, noteOf, normalised }) {
    const lines = [];
    let step = 0;
    if (verdict.agrees) {
      lines.push(`The answers agree: ${plural(verdict.linesExpected, 'line', 'lines')}, byte for byte.`);
    } else {
      step = describe(verdict, steps, noteOf, lines);
    }
    if (normalised) {
      lines.push('Note: the pasted text had CR LF line ends, which the text box turns into LF; ' +
        'open the output as a file to compare its exact bytes.');
    }
    const diagnosis = (verdict.diagnosis || []).map((variant) => ({
      ...variant,
      sentence: `${variant.name}: it answers as if ${variant.description}`,
      ruleId: ruleId(variant.section, variant.rule),
      where: `the rule ${variant.rule}, in section ${variant.section} of docs/behaviour.md`,
    }));
    if (!verdict.agrees) {
      lines.push(diagnosis.length
        ? 'diagnosis: ' + diagnosis.map((variant) => variant.name).join(', ')
        : 'diagnosis: none of the known misreadings');
    }
    return { agrees: verdict.agrees, text: lines.join('\n'), step, verdict, diagnosis };
  }

  pg.verdictText = verdictText;
})(globalThis.Playground = globalThis.Playground || {});
