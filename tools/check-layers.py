#!/usr/bin/env python3
"""Reads which source folder includes from which and fails when an include runs up a layer.

Each folder may include only from itself and the folders below it, as LAYERS lists them; the
folder graph the includes draw must also be free of circles. Usage: check-layers.py [ROOT]
"""
import os
import re
import sys

# Each folder with the folders it may include from (directly or through those below them).
LAYERS = {
    "platform": [],
    "templates": ["platform"],
    "app": ["templates"],
    "windows": ["app"],
    "mail": ["platform"],
    "feedback": ["app", "mail"],
    "setup": ["platform"],
    # Sample data, mods as text, and every window in a demo state for the snapshots.
    "tools": ["windows", "feedback", "setup"],
    "programs": ["tools"],
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def allowed_below(folder):
    """The folder and every folder below it."""
    seen, stack = set(), [folder]
    while stack:
        current = stack.pop()
        if current not in seen:
            seen.add(current)
            stack.extend(LAYERS[current])
    return seen


def sources(root, folder):
    for name in sorted(os.listdir(os.path.join(root, folder))):
        if name.endswith((".h", ".cpp")):
            yield name


def find_circle(graph):
    """A list of folders that include each other in a circle, or None."""
    state = {}

    def visit(node, path):
        state[node] = "open"
        for nxt in sorted(graph.get(node, ())):
            if state.get(nxt) == "open":
                return path[path.index(nxt):] + [nxt]
            if nxt not in state:
                found = visit(nxt, path + [nxt])
                if found:
                    return found
        state[node] = "done"
        return None

    for node in sorted(graph):
        if node not in state:
            found = visit(node, [node])
            if found:
                return found
    return None


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.dirname(__file__))
    home = {}  # header name -> folder
    for folder in LAYERS:
        for name in sources(root, folder):
            if name.endswith(".h"):
                if name in home:
                    print(f"{name} is in both {home[name]}/ and {folder}/")
                    return 1
                home[name] = folder

    problems = []
    graph = {}
    for folder in LAYERS:
        below = allowed_below(folder)
        for name in sources(root, folder):
            with open(os.path.join(root, folder, name), encoding="utf-8") as source:
                text = source.read()
            for header in INCLUDE.findall(text):
                target = home.get(os.path.basename(header))
                if target is None:
                    problems.append(f"{folder}/{name}: includes \"{header}\", which no folder holds")
                    continue
                if target != folder:
                    graph.setdefault(folder, set()).add(target)
                if target not in below:
                    problems.append(f"{folder}/{name}: includes {target}/{header}, a layer above")

    circle = find_circle(graph)
    if circle:
        problems.append("folders include each other in a circle: " + " -> ".join(circle))
    for problem in problems:
        print(problem)
    if not problems:
        print(f"{len(LAYERS)} folders, {sum(len(v) for v in graph.values())} arrows, all pointing down")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
