#!/usr/bin/env python3
"""A second implementation of morvavl, written from docs/behaviour.md alone.

CI runs morvavl-compare against it on generated scripts and on the scenario
files: if the two ever answer differently, the reference page is missing a
rule or states one wrongly. Section numbers below are those of the page.
"""
import sys

WHITE = b" \t\n\v\f\r"


def is_letter(b):
    return 0x41 <= b <= 0x5A or 0x61 <= b <= 0x7A


def is_digit(b):
    return 0x30 <= b <= 0x39


def is_id(text):
    return len(text) == 8 and all(is_digit(b) for b in text)


def is_name(text):
    return all(b == 0x20 or is_letter(b) for b in text)


class Node:
    __slots__ = ("id", "name", "left", "right", "height", "balance")

    def __init__(self, name, id_):
        self.id, self.name = id_, name
        self.left = self.right = None
        self.height, self.balance = 1, 0


def stored_height(node):
    return node.height if node else 0


def recompute(node):
    lh, rh = stored_height(node.left), stored_height(node.right)
    node.height = 1 + max(lh, rh)
    node.balance = lh - rh


def rotate_right(a):
    p = a.left
    a.left = p.right
    p.right = a
    recompute(a)
    recompute(p)
    return p


def rotate_left(a):
    p = a.right
    a.right = p.left
    p.left = a
    recompute(a)
    recompute(p)
    return p


def rebalance(n):
    if n.balance > 1:
        c = n.left
        if c.balance > 0 or c.right is None:
            return rotate_right(n)
        n.left = rotate_left(c)
        return rotate_right(n)
    if n.balance < -1:
        c = n.right
        if c.balance < 0 or c.left is None:
            return rotate_left(n)
        n.right = rotate_right(c)
        return rotate_left(n)
    return n


class Tree:
    def __init__(self, out):
        self.root = None
        self.out = out

    def answer(self, line):
        self.out.append(line + b"\n")

    # Section 3.
    def insert(self, name, id_):
        def into(node):
            if node is None:
                self.answer(b"successful")
                return Node(name, id_)
            if id_ == node.id:
                self.answer(b"unsuccessful")
                return node
            if id_ < node.id:
                node.left = into(node.left)
            else:
                node.right = into(node.right)
            recompute(node)
            return rebalance(node)

        self.root = into(self.root)

    # Section 4.
    def remove(self, id_):
        parent, node = None, self.root
        while node is not None and node.id != id_:
            parent, node = node, (node.left if id_ < node.id else node.right)
        if node is None:
            self.answer(b"unsuccessful")
            return
        self.answer(b"successful")
        n = node
        if n.left is None and n.right is None:
            if parent is None:
                self.root = None
            elif parent.left is n:
                parent.left = None
            else:
                parent.right = None
            return
        if n.left is None or n.right is None:
            c = n.left or n.right
            n.id, n.name, n.left, n.right = c.id, c.name, c.left, c.right
            recompute(n)
            return
        r = n.right
        if r.left is None:
            n.id, n.name, n.right = r.id, r.name, r.right
            recompute(n)
            return
        q, s = r, r.left
        while s.left is not None:
            q, s = s, s.left
        n.id, n.name = s.id, s.name
        q.left = s.right
        recompute(q)
        recompute(n)

    def in_order(self):
        result, stack, node = [], [], self.root
        while stack or node:
            while node:
                stack.append(node)
                node = node.left
            node = stack.pop()
            result.append(node)
            node = node.right
        return result

    def pre_order(self):
        result, stack = [], [self.root] if self.root else []
        while stack:
            node = stack.pop()
            result.append(node)
            for child in (node.right, node.left):
                if child:
                    stack.append(child)
        return result

    def post_order(self):
        def walk(node):
            if node:
                yield from walk(node.left)
                yield from walk(node.right)
                yield node

        return list(walk(self.root))

    def remove_in_order(self, position):
        nodes = self.in_order()
        if position >= len(nodes):
            self.answer(b"unsuccessful")
            return
        self.remove(nodes[position].id)

    # Section 5.
    def search_id(self, id_):
        node = self.root
        while node is not None and node.id != id_:
            node = node.left if id_ < node.id else node.right
        self.answer(node.name if node else b"unsuccessful")

    def search_name(self, name):
        ids = []
        if name and is_letter(name[0]):
            ids = [n.id for n in self.pre_order() if n.name == name]
        for id_ in ids or [b"unsuccessful"]:
            self.answer(id_)

    def listing(self, nodes):
        self.answer(b", ".join(n.name for n in nodes))

    def level_count(self):
        self.answer(str(stored_height(self.root)).encode())


def quoted_name(args):
    """Section 2: the quoted name and what follows it, or None."""
    if args is None or not args.startswith(b'"'):
        return None
    close = args.find(b'"', 1)
    if close < 0:
        return args[1:], None
    return args[1:close], args[close + 1:]


def read_decimal(text):
    """Sections 1 and 2: white space, a sign, digits: (value, digits read)."""
    i = 0
    while i < len(text) and text[i] in WHITE:
        i += 1
    sign = 1
    if i < len(text) and text[i] in b"+-":
        sign = -1 if text[i] == ord("-") else 1
        i += 1
    start = i
    while i < len(text) and is_digit(text[i]):
        i += 1
    if i == start:
        return None, False
    # A minus sign counts even before zeros: -0 is negative for the count.
    return (int(text[start:i]), sign), True


def strtol_position(text):
    """Section 2, removeInorder: the position, or None when refused."""
    number, read = read_decimal(text)
    if not read:
        return None
    value = number[0] * number[1]
    if not -2147483648 <= value <= 2147483647:
        return None
    return value % (1 << 32)


def perform(line, tree):
    refused = lambda: tree.answer(b"unsuccessful")
    if line.startswith(b"p"):
        word, args = line, None
    elif b" " in line:
        word, args = line.split(b" ", 1)
    else:
        word, args = line, None
    if word == b"printInorder":
        tree.listing(tree.in_order())
    elif word == b"printPreorder":
        tree.listing(tree.pre_order())
    elif word == b"printPostorder":
        tree.listing(tree.post_order())
    elif word == b"printLevelCount":
        tree.level_count()
    elif word == b"insert":
        parts = quoted_name(args)
        if parts is None:
            return refused()
        name, rest = parts
        id_ = b""
        if rest is not None and b" " in rest:
            id_ = rest.split(b" ", 1)[1]
        if is_name(name) and is_id(id_):
            tree.insert(name, id_)
        else:
            refused()
    elif word == b"remove":
        if args is not None and is_id(args):
            tree.remove(args)
        else:
            refused()
    elif word == b"search":
        if args and is_digit(args[0]):
            return tree.search_id(args) if is_id(args) else refused()
        parts = quoted_name(args)
        if parts is None or not is_name(parts[0]):
            return refused()
        tree.search_name(parts[0])
    elif word == b"removeInorder":
        position = strtol_position(args) if args else None
        if position is None:
            return refused()
        tree.remove_in_order(position)
    else:
        refused()


def count_of(line):
    """Section 1: the count, 0 when the line gives none."""
    number, read = read_decimal(line)
    if not read or number[1] < 0 or number[0] > 4294967295:
        return 0
    return number[0]


def main():
    data = sys.stdin.buffer.read()
    lines = data.split(b"\n")
    if lines and lines[-1] == b"":
        lines.pop()  # the input ended with a line feed
    if lines and lines[0].startswith(b"\xef\xbb\xbf"):
        lines[0] = lines[0][3:]
    at = 0
    while at < len(lines) and all(b in WHITE for b in lines[at]):
        at += 1
    count = count_of(lines[at]) if at < len(lines) else 0
    commands = lines[at + 1:]
    out = []
    tree = Tree(out)
    for i in range(count):
        if i >= len(commands):
            out.append(b"unsuccessful\n" * (count - i))
            break
        line = commands[i]
        if line.endswith(b"\r"):
            line = line[:-1]
        perform(line, tree)
        if len(out) > 1024:
            sys.stdout.buffer.write(b"".join(out))
            out.clear()
    sys.stdout.buffer.write(b"".join(out))


if __name__ == "__main__":
    sys.setrecursionlimit(10000)
    main()
