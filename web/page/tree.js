// The tree, drawn in SVG from the nodes the engine drew (web/PageTree.h):
// each node at x = its place in ID order among the nodes drawn and y = its
// depth, with its ID, its name, its stored height and balance factor, and
// the real value beside a stale one. A node's marks show by shape and icon
// as well as by colour. Nodes are kept by their key, not their record, so
// that between drawings a node glides to its new place. The drawing is
// never scaled below its own size, so labels stay readable: a large tree is
// panned, by dragging or with "follow the change", which frames what the
// step touched. A summed-up subtree opens on a click.
(function (pg) {
  'use strict';

  const SVG = 'http://www.w3.org/2000/svg';
  const width = 120;
  const height = 66;
  const across = 128;
  const down = 98;
  // The smallest scale of the drawing: labels are 12px at 1.
  const leastScale = 1;

  // Each mark: the class it gives the node and the icon before its ID.
  const marks = {
    n: ['new', '✚'], r: ['rose', '▲'], s: ['sank', '▼'], m: ['moved', '◆'],
    t: ['touched', '●'], c: ['compared', '▶'], p: ['path', '›'], w: ['walk', '↘'],
    f: ['freed', '✖'], d: ['duplicate', '='], x: ['stale-node', '⚠'],
  };
  pg.markNames = {
    n: 'new', r: 'rose', s: 'sank', m: 'took a record', t: 'recomputed', c: 'compared now',
    p: 'on the path', w: 'on the successor walk', f: 'freed', d: 'holds the ID', x: 'stale',
  };

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

  const signed = pg.signed;
  const shortName = (name) => (name.length > 12 ? name.slice(0, 11) + '…' : name);

  // The drawn nodes as a tree, from the parent and side each one has: the
  // root, and each node's children by key, as {l, r}.
  pg.treeOf = (nodes) => {
    const children = new Map();
    let root = null;
    for (const node of nodes) {
      if (node.parent === '') {
        root = node;
      } else {
        if (!children.has(node.parent)) {
          children.set(node.parent, {});
        }
        children.get(node.parent)[node.side] = node;
      }
    }
    return { root, children };
  };

  // Where each drawn node goes: in-order along x, by depth along y.
  function layout(nodes) {
    const { root, children } = pg.treeOf(nodes);
    const places = new Map();
    let x = 0;
    const walk = (node) => {
      const below = children.get(node.key) || {};
      if (below.l) {
        walk(below.l);
      }
      places.set(node.key, { x: x++ * across, y: (node.depth - 1) * down });
      if (below.r) {
        walk(below.r);
      }
    };
    if (root) {
      walk(root);
    }
    return places;
  }

  class TreeDrawing {
    constructor(svg, handlers) {
      this.svg = svg;
      this.size = new pg.Box(svg);
      this.handlers = handlers;
      this.edges = element('g');
      this.nodes = element('g');
      svg.append(this.edges, this.nodes);
      this.shown = new Map(); // node key -> its group
      this.box = { x: -width, y: -height, w: 4 * width, h: 4 * height };
      this.fitted = true;
      this.follow = false;
      this.panning();
    }

    draw(nodes) {
      for (const lit of this.nodes.querySelectorAll('.lit')) {
        lit.classList.remove('lit');
      }
      const places = layout(nodes);
      const shown = new Map();
      const edges = [];
      for (const node of nodes) {
        const at = places.get(node.key);
        shown.set(node.key, node.more ? this.more(node, at) : this.node(node, at));
        if (node.parent && places.has(node.parent)) {
          edges.push([places.get(node.parent), at, node.key]);
        }
      }
      for (const [key, group] of this.shown) {
        if (!shown.has(key)) {
          group.remove();
        }
      }
      this.drawEdges(edges);
      this.shown = shown;
      this.extent = [...places.values()];
      this.touched = nodes.filter((node) => node.marks && /[nrsmtcwfdx]/.test(node.marks))
        .map((node) => places.get(node.key));
      if (this.follow && this.touched.length) {
        this.frame(this.touched);
      } else if (this.fitted) {
        this.fit();
      }
    }

    node(node, at) {
      let group = this.shown.get(node.key);
      if (!group || group.classList.contains('more')) {
        group = element('g', { class: 'node', tabindex: -1 });
        group.append(element('title'), element('rect', { x: -width / 2, y: 0, width, height, rx: 6 }),
          element('text', { x: 0, y: 15, 'text-anchor': 'middle', class: 'id' }),
          element('text', { x: 0, y: 30, 'text-anchor': 'middle', class: 'name' }),
          element('text', { x: 0, y: 45, 'text-anchor': 'middle' }),
          element('text', { x: 0, y: 60, 'text-anchor': 'middle' }));
        group.style.transform = `translate(${at.x}px, ${at.y}px)`;
        this.nodes.append(group);
      }
      // Most nodes stand as they stood: those are left alone.
      const drawn = JSON.stringify(node) + at.x + ',' + at.y;
      if (group.drawn === drawn) {
        return group;
      }
      group.drawn = drawn;
      const classes = [...node.marks].map((mark) => (marks[mark] || [])[0]).filter(Boolean);
      const stale = node.real !== node.height || node.realBalance !== node.balance;
      group.setAttribute('class', ['node', ...classes, stale ? 'stale-node' : ''].join(' ').trim());
      Object.assign(group.dataset, {
        key: node.key, id: node.id, height: node.height, balance: node.balance, records: node.records,
      });
      if (node.real !== node.height) {
        group.dataset.realHeight = node.real;
      } else {
        delete group.dataset.realHeight;
      }
      const [title, , id, name, heightText, balanceText] = group.children;
      const markWords = [...node.marks].map((mark) => pg.markNames[mark]).filter(Boolean);
      title.textContent = `${node.id} "${node.name}": height ${node.height}` +
        (node.real !== node.height ? ` (stored; real ${node.real})` : '') +
        `, balance factor ${signed(node.balance)}` +
        (node.realBalance !== node.balance ? ` (stored; real ${signed(node.realBalance)})` : '') +
        `, ${node.records} record${node.records === 1 ? '' : 's'}` +
        (markWords.length ? `; ${markWords.join(', ')}` : '');
      const icons = [...node.marks].map((mark) => (marks[mark] || [])[1]).filter(Boolean).join('');
      id.textContent = (icons ? icons + ' ' : '') + node.id;
      name.textContent = '"' + shortName(node.name) + '"';
      heightText.replaceChildren(this.values('h', node.height, node.real, String));
      balanceText.replaceChildren(this.values('bf', node.balance, node.realBalance, signed));
      group.style.transform = `translate(${at.x}px, ${at.y}px)`;
      return group;
    }

    // "h 3" or, stale, "⚠ h 3 (2)": the real value in brackets.
    values(label, stored, real, written) {
      if (stored === real) {
        return element('tspan', {}, `${label} ${written(stored)}`);
      }
      return element('tspan', { class: 'stale' }, `⚠ ${label} ${written(stored)} (${written(real)})`);
    }

    more(more, at) {
      let group = this.shown.get(more.key);
      if (!group || !group.classList.contains('more')) {
        group = element('g', { class: 'more', tabindex: 0, role: 'button' });
        group.append(element('rect', { x: -width / 2, y: 8, width, height: 40, rx: 12, fill: 'none',
          stroke: 'currentColor', 'stroke-dasharray': '3 3' }),
        element('text', { x: 0, y: 24, 'text-anchor': 'middle' }),
        element('text', { x: 0, y: 39, 'text-anchor': 'middle' }));
        const open = () => this.handlers.expand(Number(group.dataset.node.slice(1)));
        group.addEventListener('click', open);
        group.addEventListener('keydown', (event) => {
          if (event.key === 'Enter' || event.key === ' ') {
            event.preventDefault();
            open();
          }
        });
        this.nodes.append(group);
      }
      group.dataset.node = more.parent;
      group.dataset.key = more.key;
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
        const d = `path("M ${from.x} ${from.y + height} L ${to.x} ${to.y}")`;
        if (path.drawn !== d) {
          path.drawn = d;
          path.style.d = d;
        }
        kept.push(path);
      }
      const children = this.edges.children;
      if (kept.length !== children.length || kept.some((path, i) => children[i] !== path)) {
        this.edges.replaceChildren(...kept);
      }
    }

    setBox(box) {
      // Never smaller than the drawing's own size: the box is at most as
      // large as the element.
      const w = Math.min(box.w, this.size.width / leastScale || box.w);
      const h = Math.min(box.h, this.size.height / leastScale || box.h);
      this.box = { x: box.x + (box.w - w) / 2, y: box.y + (box.h - h) / 2, w, h };
      const viewBox = `${this.box.x} ${this.box.y} ${this.box.w} ${this.box.h}`;
      if (this.svg.getAttribute('viewBox') !== viewBox) {
        this.svg.setAttribute('viewBox', viewBox);
      }
    }

    // The points in view, as far as the scale allows, the first of them
    // (the root, or the first change) at least.
    frame(points) {
      const xs = points.map((p) => p.x);
      const ys = points.map((p) => p.y);
      const left = Math.min(...xs) - width;
      const top = Math.min(...ys) - height / 2;
      const w = Math.max(Math.max(...xs) + width - left, this.size.width / 1.5);
      const h = Math.max(Math.max(...ys) + 1.5 * height - top, this.size.height / 1.5);
      const centre = Math.min(...xs) + (Math.max(...xs) - Math.min(...xs)) / 2;
      this.setBox({ x: centre - w / 2, y: top, w, h });
    }

    fit() {
      this.fitted = true;
      this.frame(this.extent && this.extent.length ? this.extent : [{ x: 0, y: 0 }]);
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

    // Shows the node with this key, lit, and gives it the focus.
    focusNode(key) {
      const group = this.shown.get(key);
      if (!group) {
        return false;
      }
      for (const lit of this.nodes.querySelectorAll('.lit')) {
        lit.classList.remove('lit');
      }
      group.classList.add('lit');
      const match = /translate\(([-\d.]+)px, ([-\d.]+)px\)/.exec(group.style.transform);
      if (match) {
        this.fitted = false;
        this.frame([{ x: Number(match[1]), y: Number(match[2]) }]);
      }
      group.focus();
      return true;
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
        const pan = { ArrowUp: [0, -1], ArrowDown: [0, 1], h: [-1, 0], l: [1, 0] }[event.key];
        if (event.key === '+' || event.key === '=') {
          this.zoom(1 / 1.25);
        } else if (event.key === '-') {
          this.zoom(1.25);
        } else if (event.key === '0') {
          this.fit();
        } else if (pan) {
          event.preventDefault();
          this.fitted = false;
          this.setBox({ ...this.box, x: this.box.x + pan[0] * across, y: this.box.y + pan[1] * down });
        }
      });
    }
  }

  pg.TreeDrawing = TreeDrawing;
  pg.treeLayout = layout;
})(globalThis.Playground = globalThis.Playground || {});
