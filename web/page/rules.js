// The rules, docs/behaviour.md as the page holds it, drawn as elements: each
// section and each rule (a paragraph that opens with its name in bold) gets
// an id, so that a diagnosis or a step can point at the rule it applies.
// Only the Markdown that page uses is read: headings, paragraphs, lists,
// tables, indented examples, `code`, **bold**, *emphasis* and [links](...).
(function (pg) {
  'use strict';

  const slug = (text) => text.toLowerCase().replace(/[^a-z0-9]+/g, '-').replace(/^-|-$/g, '');

  // Inline Markdown as nodes: text stays text, whatever it holds.
  function inline(text) {
    const nodes = [];
    const pattern = /`([^`]+)`|\*\*([^*]+)\*\*|\*([^*]+)\*|\[([^\]]+)\]\([^)]*\)/g;
    let at = 0;
    for (let match; (match = pattern.exec(text));) {
      nodes.push(document.createTextNode(text.slice(at, match.index)));
      const element = document.createElement(
        match[1] ? 'code' : match[2] ? 'strong' : match[3] ? 'em' : 'span');
      element.textContent = match[1] || match[2] || match[3] || match[4];
      nodes.push(element);
      at = match.index + match[0].length;
    }
    nodes.push(document.createTextNode(text.slice(at)));
    return nodes;
  }

  function block(lines, section) {
    const first = lines[0];
    if (/^#{1,3} /.test(first)) {
      const heading = document.createElement('h3');
      heading.textContent = first.replace(/^#+ /, '');
      heading.id = 'rules-' + slug(heading.textContent.split('.')[0]);
      return heading;
    }
    if (first.startsWith('    ')) {
      const pre = document.createElement('pre');
      pre.textContent = lines.map((line) => line.slice(4)).join('\n');
      return pre;
    }
    if (first.startsWith('|')) {
      const table = document.createElement('table');
      for (const line of lines.filter((row) => !/^\|[-| ]+\|$/.test(row))) {
        const row = table.insertRow();
        for (const cell of line.slice(1, -1).split(' | ')) {
          row.insertCell().append(...inline(cell.trim()));
        }
      }
      return table;
    }
    if (/^(- |\d+\. )/.test(first)) {
      const list = document.createElement(first.startsWith('- ') ? 'ul' : 'ol');
      let item = null;
      for (const line of lines) {
        if (/^(- |\d+\. )/.test(line)) {
          item = document.createElement('li');
          list.append(item);
        }
        item.append(...inline(line.replace(/^(- |\d+\. )|^ +/, '') + ' '));
      }
      return list;
    }
    const paragraph = document.createElement('p');
    const text = lines.join(' ');
    paragraph.append(...inline(text));
    const name = /^\*\*([^*]+?)\.?\*\*/.exec(text);
    if (name && section) {
      paragraph.id = pg.ruleId(section, name[1]);
    }
    return paragraph;
  }

  // The rules as elements, into `container`.
  function draw(container, markdown) {
    const blocks = [];
    let lines = [];
    const flush = () => {
      if (lines.length) {
        blocks.push(lines);
        lines = [];
      }
    };
    for (const line of markdown.split('\n')) {
      if (line === '' || (/^#{1,3} /.test(line))) {
        flush();
      }
      if (line !== '') {
        lines.push(line);
      }
      if (/^#{1,3} /.test(line)) {
        flush();
      }
    }
    flush();
    let section = '';
    const elements = [];
    for (const lines of blocks) {
      if (/^## /.test(lines[0])) {
        section = lines[0].slice(3);
      }
      elements.push(block(lines, section));
    }
    container.replaceChildren(...elements);
  }

  pg.rules = { draw };
})(globalThis.Playground = globalThis.Playground || {});
