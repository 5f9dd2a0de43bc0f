// The timeline's strip over the slider: each step's marks (web/Timeline.h)
// drawn where the step falls, a column of pixels standing for all the
// steps it covers, each kind of mark in a row and a colour of its own; the
// step shown and the step where the textbook twin parts are marked too.
(function (pg) {
  'use strict';

  // Rows, top to bottom: rotations, stale values, removals, refusals.
  const rows = [
    { mask: 15, colour: '#1f6feb' },
    { mask: 48, colour: '#b3261e' },
    { mask: 1920 | 64, colour: '#1a7f37' },
    { mask: 2048 | 4096, colour: '#8250df' },
  ];

  // The columns of marks, worked out again only when the timeline, the
  // script or the width changed: a million steps take milliseconds.
  let cached = { run: null, marks: null, length: -1, steps: -1, width: -1, columns: null, colour: '' };

  function columnsOf(canvas, run, marks, steps, width) {
    if (cached.run === run && cached.marks === marks.buffer && cached.length === marks.length &&
        cached.steps === steps && cached.width === width) {
      return cached;
    }
    const columns = new Uint16Array(width);
    for (let step = 1; step <= marks.length; ++step) {
      columns[Math.min(width - 1, Math.floor(((step - 1) / steps) * width))] |= marks[step - 1];
    }
    cached = { run, marks: marks.buffer, length: marks.length, steps, width, columns,
      colour: getComputedStyle(canvas).color };
    return cached;
  }

  // `run` stands for the script's run: the marks of another are other marks.
  function drawStrip(canvas, box, run, marks, steps, shown, parting) {
    const width = box.width || 300;
    if (canvas.width !== width) {
      canvas.width = width;
    }
    const context = canvas.getContext('2d');
    context.clearRect(0, 0, width, canvas.height);
    if (!steps) {
      return;
    }
    const rowHeight = canvas.height / rows.length;
    // A few steps get a column each as wide as they have room for.
    const wide = Math.max(1, Math.floor(width / steps));
    const { columns, colour } = columnsOf(canvas, run, marks, steps, width);
    rows.forEach((row, index) => {
      context.fillStyle = row.colour;
      for (let x = 0; x < width; ++x) {
        if (columns[x] & row.mask) {
          context.fillRect(x, index * rowHeight, Math.max(1, wide - 1), rowHeight - 1);
        }
      }
    });
    const at = (step) => Math.min(width - 1, Math.floor(((step - 1) / steps) * width));
    if (parting) {
      context.fillStyle = '#e8a000';
      context.fillRect(at(parting) - 1, 0, 3, canvas.height);
    }
    if (shown > 0) {
      context.strokeStyle = colour;
      context.strokeRect(at(shown) - 0.5, 0.5, 2, canvas.height - 1);
    }
  }

  pg.drawStrip = drawStrip;
})(globalThis.Playground = globalThis.Playground || {});
