// The tree, drawn in SVG: each node at x = its place in ID order among the
// nodes drawn and y = its depth, with its ID, its name, its stored height
// and balance factor, and in red the real value beside a stale one. Nodes
// are kept by their number, not their record, so that between steps a node
// glides to its new place, and a record that moves into another node in a
// removal is shown moving there. Pan by dragging, zoom with the wheel or
// the buttons; a summed-up subtree opens on a click.
(function (pg) {
  'use strict';

  const SVG = 'http://www.w3.org/2000/svg';
  const width = 96;
  const height = 62;
  const across = 104;
  const down = 96;

  function element(name, attributes, text) {
    const made = document.createElementNS(SVG, name);
    for (const [key, value] of Object.entries(attributes || {})) {
      made.setAttribute(key, value);
    }
    if (text !== undefined) {
      made.textContent = text;
    }
    return made;
  }

  const signed = (n) => (n > 0 ? '+' + n : String(n));
  const shortName = (name) => (name.length > 11 ? name.slice(0, 10) + '…' : name);
  const place = (item) => ({ x: item.x * across, y: (item.depth - 1) * down });

  class TreeDrawing {
    constructor(svg, handlers) {
      this.svg = svg;
      this.handlers = handlers;
      this.edges = element('g');
      this.nodes = element('g');
      this.ghosts = element('g');
      svg.append(this.edges, this.nodes, this.ghosts);
      this.shown = new Map(); // node number -> its group
      this.places = new Map(); // node number -> where it was drawn
      this.box = { x: -width, y: -height, w: 4 * width, h: 4 * height };
      this.fitted = true;
      this.panning();
    }

    draw(view) {
      const shown = new Map();
      const places = new Map();
      const edges = [];
      const drawn = [];
      for (const node of view.nodes) {
        const at = place(node);
        places.set(node.key, at);
        shown.set(node.key, this.node(node, at));
        drawn.push(at);
      }
      for (const more of view.more) {
        const at = place(more);
        drawn.push(at);
        shown.set('more' + more.key, this.more(more, at));
        edges.push([places.get(more.key), at, 'more' + more.key]);
      }
      for (const node of view.nodes) {
        if (node.parent >= 0 && places.has(node.parent)) {
          edges.push([places.get(node.parent), places.get(node.key), node.key]);
        }
      }
      for (const [key, group] of this.shown) {
        if (!shown.has(key)) {
          group.remove();
        }
      }
      this.drawEdges(edges);
      this.moveRecord(view.moved, places);
      this.shown = shown;
      this.places = places;
      this.extent = drawn;
      if (this.fitted) {
        this.fit();
      }
    }

    node(node, at) {
      let group = this.shown.get(node.key);
      if (!group) {
        group = element('g', { class: 'node' });
        group.append(element('title'), element('rect', { x: -width / 2, y: 0, width, height, rx: 6 }),
          element('text', { x: 0, y: 14, 'text-anchor': 'middle' }),
          element('text', { x: 0, y: 28, 'text-anchor': 'middle', class: 'name' }),
          element('text', { x: 0, y: 42, 'text-anchor': 'middle' }),
          element('text', { x: 0, y: 56, 'text-anchor': 'middle' }));
        group.style.transform = `translate(${at.x}px, ${at.y}px)`;
        this.nodes.append(group);
      }
      const marks = node.marks;
      group.setAttribute('class', 'node' + (marks.includes('t') ? ' touched' : '') +
        (marks.includes('r') ? ' rose' : '') + (marks.includes('m') ? ' moved' : '') +
        (marks.includes('n') ? ' new' : ''));
      group.dataset.key = node.key;
      group.dataset.id = node.id;
      group.dataset.height = node.height;
      group.dataset.balance = node.balance;
      group.dataset.records = node.records;
      if (node.real !== node.height) {
        group.dataset.realHeight = node.real;
      } else {
        delete group.dataset.realHeight;
      }
      const [title, , id, name, heightText, balanceText] = group.children;
      title.textContent = `${node.id} "${node.name}": height ${node.height}` +
        (node.real !== node.height ? ` (real ${node.real})` : '') +
        `, balance ${signed(node.balance)}` +
        (node.realBalance !== node.balance ? ` (real ${signed(node.realBalance)})` : '') +
        `, ${node.records} record${node.records === 1 ? '' : 's'}`;
      id.textContent = node.id;
      name.textContent = '"' + shortName(node.name) + '"';
      heightText.replaceChildren(this.values('height', node.height, node.real, String));
      balanceText.replaceChildren(this.values('bf', node.balance, node.realBalance, signed));
      group.style.transform = `translate(${at.x}px, ${at.y}px)`;
      return group;
    }

    // "height 3" or, stale, "height 3 (2)" in red.
    values(label, stored, real, written) {
      if (stored === real) {
        return element('tspan', {}, `${label} ${written(stored)}`);
      }
      return element('tspan', { class: 'stale' }, `${label} ${written(stored)} (${written(real)})`);
    }

    more(more, at) {
      const key = 'more' + more.key;
      let group = this.shown.get(key);
      if (!group) {
        group = element('g', { class: 'more', tabindex: 0, role: 'button' });
        group.append(element('rect', { x: -width / 2, y: 8, width, height: 40, rx: 12, fill: 'none',
          stroke: 'currentColor', 'stroke-dasharray': '3 3' }),
        element('text', { x: 0, y: 24, 'text-anchor': 'middle' }),
        element('text', { x: 0, y: 39, 'text-anchor': 'middle' }));
        const open = () => this.handlers.expand(Number(group.dataset.node));
        group.addEventListener('click', open);
        group.addEventListener('keydown', (event) => {
          if (event.key === 'Enter' || event.key === ' ') {
            event.preventDefault();
            open();
          }
        });
        this.nodes.append(group);
      }
      group.dataset.node = more.key;
      group.setAttribute('aria-label', `Show ${more.records} more records`);
      group.children[1].textContent = `… ${more.records.toLocaleString('en-US')}`;
      group.children[2].textContent = `more record${more.records === 1 ? '' : 's'}`;
      group.style.transform = `translate(${at.x}px, ${at.y}px)`;
      return group;
    }

    drawEdges(edges) {
      const paths = new Map();
      for (const path of this.edges.children) {
        paths.set(path.dataset.key, path);
      }
      const kept = [];
      for (const [from, to, key] of edges) {
        let path = paths.get(String(key));
        if (!path) {
          path = element('path', { class: 'edge' });
          path.dataset.key = key;
        }
        path.style.d = `path("M ${from.x} ${from.y + height} L ${to.x} ${to.y}")`;
        kept.push(path);
      }
      this.edges.replaceChildren(...kept);
    }

    // A removal that moved a record into another node: the record's ID
    // travels from the node it left to the node that took it.
    moveRecord(moved, places) {
      const from = this.places.get(moved.from);
      const into = places.get(moved.into);
      const group = this.shown.get(moved.into);
      if (from === undefined || into === undefined || !group) {
        return;
      }
      const ghost = element('text', { class: 'ghost', 'text-anchor': 'middle', y: 14 },
        group.dataset.id);
      ghost.style.transform = `translate(${from.x}px, ${from.y}px)`;
      this.ghosts.append(ghost);
      requestAnimationFrame(() => requestAnimationFrame(() => {
        ghost.style.transform = `translate(${into.x}px, ${into.y}px)`;
        ghost.style.opacity = '0.2';
      }));
      setTimeout(() => ghost.remove(), 800);
    }

    setBox(box) {
      this.box = box;
      this.svg.setAttribute('viewBox', `${box.x} ${box.y} ${box.w} ${box.h}`);
    }

    fit() {
      this.fitted = true;
      const points = this.extent && this.extent.length ? this.extent : [{ x: 0, y: 0 }];
      const xs = points.map((p) => p.x);
      const ys = points.map((p) => p.y);
      // A small tree is not blown up past one and a half times its size.
      const left = Math.min(...xs) - width;
      const top = Math.min(...ys) - height / 2;
      const w = Math.max(Math.max(...xs) + width - left, this.svg.clientWidth / 1.5);
      const h = Math.max(Math.max(...ys) + 1.5 * height - top, this.svg.clientHeight / 1.5);
      this.setBox({ x: (left + Math.max(...xs) + width) / 2 - w / 2, y: top, w, h });
    }

    zoom(factor, around) {
      const box = this.box;
      const centre = around || { x: box.x + box.w / 2, y: box.y + box.h / 2 };
      this.fitted = false;
      this.setBox({ x: centre.x - (centre.x - box.x) * factor, y: centre.y - (centre.y - box.y) * factor,
        w: box.w * factor, h: box.h * factor });
    }

    // Where a pointer event falls in the drawing's coordinates.
    pointOf(event) {
      const rect = this.svg.getBoundingClientRect();
      const scale = Math.max(this.box.w / rect.width, this.box.h / rect.height);
      return {
        x: this.box.x + this.box.w / 2 + (event.clientX - rect.left - rect.width / 2) * scale,
        y: this.box.y + this.box.h / 2 + (event.clientY - rect.top - rect.height / 2) * scale,
        scale,
      };
    }

    panning() {
      const svg = this.svg;
      let grab = null;
      svg.addEventListener('wheel', (event) => {
        event.preventDefault();
        this.zoom(event.deltaY > 0 ? 1.15 : 1 / 1.15, this.pointOf(event));
      }, { passive: false });
      svg.addEventListener('pointerdown', (event) => {
        if (event.target.closest('.more')) {
          return;
        }
        grab = { x: event.clientX, y: event.clientY, box: { ...this.box }, scale: this.pointOf(event).scale };
        svg.setPointerCapture(event.pointerId);
        svg.classList.add('panning');
      });
      svg.addEventListener('pointermove', (event) => {
        if (!grab) {
          return;
        }
        this.fitted = false;
        this.setBox({ ...grab.box, x: grab.box.x - (event.clientX - grab.x) * grab.scale,
          y: grab.box.y - (event.clientY - grab.y) * grab.scale });
      });
      const release = () => {
        grab = null;
        svg.classList.remove('panning');
      };
      svg.addEventListener('pointerup', release);
      svg.addEventListener('pointercancel', release);
      svg.addEventListener('keydown', (event) => {
        if (event.key === '+' || event.key === '=') {
          this.zoom(1 / 1.25);
        } else if (event.key === '-') {
          this.zoom(1.25);
        } else if (event.key === '0') {
          this.fit();
        }
      });
    }
  }

  pg.TreeDrawing = TreeDrawing;
})(globalThis.Playground = globalThis.Playground || {});
