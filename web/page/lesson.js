// The page as a teacher: before a step is shown it may ask what the step
// will do, and it keeps the score; drills are short scripts aimed at one
// of this tree's quirks. The answers are the engine's own (the step's first
// rotation, its answer line, the timeline's removal case): nothing here
// works out what the tree does.
(function (pg) {
  'use strict';

  const rotations = [['none', 'no rotation'], ['left', 'left'], ['right', 'right'],
    ['left-right', 'left-right (double)'], ['right-left', 'right-left (double)']];

  // The removal cases as the timeline marks them (web/Timeline.h).
  const removalCases = [['none', 'nothing is removed', 0], ['leaf', 'a leaf goes', 128],
    ['one-child', 'its only child moves up', 256],
    ['successor-near', 'the right child moves up', 512],
    ['successor-far', 'the successor from further down moves up', 1024]];

  const wordOf = (view) => (view.text || '').split(' ')[0];
  const refused = (view) => view.substeps.some((s) => s.kind === 'refused-line' || s.kind === 'missing');

  // The question for a step, or null for a step that asks nothing:
  // {prompt, choices: [[choice, label]...], answer}. `marks` are the
  // timeline's marks of the step.
  function question(view, marks) {
    if (!view || view.step === 0 || refused(view)) {
      return null;
    }
    const word = wordOf(view);
    if (word === 'insert') {
      return { prompt: 'Which rotation does this insert make first?', choices: rotations,
        answer: view.firstRotation || 'none' };
    }
    if (word === 'printLevelCount') {
      const answer = view.answers.replace(/\n$/, '');
      const root = view.drawings[view.drawings.length - 1].find((node) => node.parent === '' && !node.more);
      const values = new Set([answer, String(root ? root.real : 0)]);
      for (let more = Number(answer) + 1; values.size < 3; ++more) {
        values.add(String(more));
      }
      return { prompt: 'What does printLevelCount write?',
        choices: [...values].sort((a, b) => a - b).map((value) => [value, value]), answer };
    }
    if ((word === 'remove' || word === 'removeInorder') && marks !== undefined) {
      const found = removalCases.find(([, , bit]) => bit && (marks & bit)) || removalCases[0];
      return { prompt: 'How does this removal replace the record?',
        choices: removalCases.map(([choice, label]) => [choice, label]), answer: found[0] };
    }
    return null;
  }

  // The score after an answer; "skip" reveals without scoring.
  function scored(score, choice, answer) {
    if (choice === 'skip') {
      return score;
    }
    return { asked: score.asked + 1, right: score.right + (choice === answer ? 1 : 0) };
  }

  // Drills: a pattern of values from 0 to 100 that shows a quirk, made
  // into a script on IDs spread from a random start, with random names,
  // mirrored at random where the quirk has two sides.
  const drills = {
    stale: {
      title: 'Stale heights after a removal',
      values: [40, 20, 60, 10, 30, 50, 70, 45],
      then: (id) => [`remove ${id(40)}`, 'printLevelCount', 'printPreorder'],
    },
    duplicate: {
      title: 'A refused duplicate that rotates',
      values: [40, 20, 60, 10, 30, 50, 70, 5],
      then: (id, name) => [`remove ${id(50)}`, `remove ${id(70)}`, `remove ${id(60)}`, 'printPreorder',
        `insert "${name()}" ${id(5)}`, 'printPreorder'],
    },
    grandchild: {
      title: 'The missing grandchild: a single rotation',
      values: [50, 30, 70, 20, 40, 80, 45],
      mirror: true,
      then: (id, name) => [`remove ${id(40)}`, `remove ${id(45)}`, `remove ${id(70)}`,
        `insert "${name()}" ${id(80)}`, 'printPreorder'],
    },
    successor: {
      title: 'A successor from further down',
      values: [50, 30, 80, 20, 40, 60, 90, 70],
      mirror: true,
      then: (id) => [`remove ${id(50)}`, 'printPreorder', 'printLevelCount'],
    },
  };

  const names = ['Ada', 'Bo', 'Cy', 'Dee', 'Eli', 'Fay', 'Gus', 'Hal', 'Ivy', 'Jo', 'Kim', 'Lou'];

  // A drill's script; `random` gives numbers in [0, 1).
  function drill(kind, random = Math.random) {
    const pattern = drills[kind];
    const mirrored = pattern.mirror && random() < 0.5;
    const start = 10000000 + Math.floor(random() * 800) * 100000;
    const spread = 1000 + Math.floor(random() * 9) * 1000;
    const id = (value) => String(start + (mirrored ? 100 - value : value) * spread);
    const name = () => names[Math.floor(random() * names.length)];
    const lines = pattern.values.map((value) => `insert "${name()}" ${id(value)}`)
      .concat(pattern.then(id, name));
    return `${lines.length}\n${lines.join('\n')}\n`;
  }

  pg.lesson = { question, scored, drill, drills };
})(globalThis.Playground = globalThis.Playground || {});
