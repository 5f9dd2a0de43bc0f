// What the step pane shows beside the drawing, rendered from the
// controller's data: the list of sub-steps, the rule the current one
// applies with the values it read, the note with each record in it linked
// to its node, and the tree as text for a screen reader.
(function (pg) {
  'use strict';

  function element(name, attributes = {}, text) {
    const made = document.createElement(name);
    for (const [key, value] of Object.entries(attributes)) {
      if (key.startsWith('data-') || key.startsWith('aria-') || key === 'role' || key === 'tabindex') {
        made.setAttribute(key, value);
      } else {
        made[key] = value;
      }
    }
    if (text !== undefined) {
      made.textContent = text;
    }
    return made;
  }

  // The command's sub-steps, in the order the tree made them; the one shown
  // is current. `choose(index)` goes to one.
  function renderSubsteps(list, shown, choose) {
    list.replaceChildren(...shown.substeps.map((substep, index) => {
      const item = element('li', { 'data-kind': substep.kind, 'data-index': String(index) });
      if (substep.fallback) {
        item.dataset.fallback = 'true';
      }
      if (substep.half) {
        item.dataset.half = String(substep.half);
      }
      const button = element('button', { type: 'button' }, substep.text);
      button.onclick = () => choose(index);
      item.append(button);
      if (index === shown.substep) {
        item.className = 'current';
        item.setAttribute('aria-current', 'step');
      }
      return item;
    }));
    // In the next frame, when the page is laid out anyway: scrolling now
    // would lay it out once more.
    const current = list.children[shown.substep];
    if (current) {
      requestAnimationFrame(() => current.scrollIntoView({ block: 'nearest' }));
    }
  }

  // The rule of docs/behaviour.md the sub-step applies, and the values it
  // read, the line taken lit.
  function renderRule(panel, substep, showRule) {
    const text = panel.querySelector('#rule-text');
    const read = panel.querySelector('#rule-read');
    const rule = substep && substep.rule ? document.getElementById(substep.rule) : null;
    text.replaceChildren();
    if (!rule) {
      text.textContent = substep && substep.kind === 'done'
        ? 'The command is done. Choose a sub-step to see the rule it applied.' : '';
    } else {
      // The rule's first sentence links to it in the rules below; the
      // rest follows, cut short.
      const whole = rule.textContent;
      const lead = (/^.*?[.:](\s|$)/.exec(whole) || [whole])[0];
      const link = element('a', { href: '#' }, lead.trim());
      link.onclick = (event) => {
        event.preventDefault();
        showRule(substep.rule);
      };
      const rest = whole.slice(lead.length);
      text.append(link, ' ' + rest.slice(0, 240) + (rest.length > 240 ? '…' : ''));
    }
    read.replaceChildren(...((substep && substep.read) || []).map((line, index) => {
      const item = element('li', {}, line);
      if (index === substep.taken) {
        item.className = 'taken';
        item.setAttribute('aria-current', 'true');
      }
      return item;
    }));
  }

  // The note, with each record it names (an ID and a quoted name) linked
  // to that node in the drawing.
  function renderNote(paragraph, note, nodes, focus) {
    const parts = [];
    const pattern = /(\d{8}) "([^"]*)"/g;
    let at = 0;
    for (let match; (match = pattern.exec(note));) {
      parts.push(document.createTextNode(note.slice(at, match.index)));
      const node = nodes.find((drawn) => !drawn.more && drawn.id === match[1]);
      if (node) {
        const link = element('a', { href: '#', className: 'record' }, match[0]);
        link.onclick = (event) => {
          event.preventDefault();
          focus(node.key);
        };
        parts.push(link);
      } else {
        parts.push(document.createTextNode(match[0]));
      }
      at = match.index + match[0].length;
    }
    parts.push(document.createTextNode(note.slice(at)));
    paragraph.replaceChildren(...parts);
  }

  // A node as a screen reader hears it: "45000000 Hal, root, height 4
  // stored, 3 real".
  function labelOf(node, parent) {
    const where = !parent ? 'root' : `${node.side === 'l' ? 'left' : 'right'} child of ${parent.id}`;
    const height = node.real === node.height ? `height ${node.height}`
      : `height ${node.height} stored, ${node.real} real`;
    const balance = node.realBalance === node.balance ? `balance factor ${pg.signed(node.balance)}`
      : `balance factor ${pg.signed(node.balance)} stored, ${pg.signed(node.realBalance)} real`;
    const marks = [...node.marks].map((mark) => pg.markNames[mark]).filter(Boolean);
    return `${node.id} ${node.name}, ${where}, ${height}, ${balance}, ` +
      `${node.records} record${node.records === 1 ? '' : 's'}` + (marks.length ? `, ${marks.join(', ')}` : '');
  }

  // The drawn nodes as an ARIA tree, in pre-order, the left child first.
  function renderTextTree(list, nodes) {
    const byKey = new Map(nodes.map((node) => [node.key, node]));
    const { root, children } = pg.treeOf(nodes);
    const item = (node, level) => {
      const parent = byKey.get(node.parent);
      if (node.more) {
        return element('li', { role: 'treeitem', 'aria-level': String(level), className: 'more' },
          `Show ${node.records} more records, below ${parent ? parent.id : ''}`);
      }
      const li = element('li', {
        role: 'treeitem', 'aria-level': String(level), 'data-id': node.id,
        'data-height': String(node.height), 'data-balance': String(node.balance),
        tabindex: '-1',
      }, labelOf(node, parent));
      const below = children.get(node.key) || {};
      const kids = [below.l, below.r].filter(Boolean);
      if (kids.length) {
        li.setAttribute('aria-expanded', 'true');
        const group = element('ul', { role: 'group' });
        group.append(...kids.map((kid) => item(kid, level + 1)));
        li.append(group);
      }
      return li;
    };
    list.replaceChildren(...(root ? [item(root, 1)] : [element('li', { role: 'treeitem' }, 'the tree is empty')]));
    const first = list.querySelector('[role=treeitem]');
    if (first) {
      first.tabIndex = 0;
    }
  }

  // The question before a step: its prompt and a button for each choice,
  // and one to skip; `answer(choice)` is told the one chosen.
  function renderPredict(box, question, answer) {
    box.hidden = !question;
    if (!question) {
      return;
    }
    box.querySelector('#predict-prompt').textContent = question.prompt;
    const buttons = question.choices.concat([['skip', 'Skip: just show me']]).map(([choice, label]) => {
      const button = element('button', { type: 'button', 'data-choice': choice }, label);
      button.onclick = () => answer(choice);
      return button;
    });
    box.querySelector('#predict-choices').replaceChildren(...buttons);
    buttons[0].focus();
  }

  pg.stepView = { renderSubsteps, renderRule, renderNote, renderTextTree, renderPredict, labelOf };
})(globalThis.Playground = globalThis.Playground || {});
