#!/usr/bin/env python3
"""Reads which source folder includes from which and fails when an include runs up a layer.

Each folder may include only from itself and the folders below it, as LAYERS lists them; the
folder graph the includes draw must also be free of circles, and every folder of the tree that
holds sources must have its place in LAYERS. Usage: check-layers.py [ROOT]
"""
import os
import re
import sys

# Each folder with the folders it may include from (directly or through those below them).
LAYERS = {
    "platform": [],
    "templates": ["platform"],
    "app": ["mods"],
    "windows": ["app"],
    "mail": ["platform"],
    "feedback": ["app", "mail"],
    "setup": ["platform"],
    # Mods as text: the field table, the JSON and CSV formats, applying a mod.
    "mods": ["templates"],
    # smarch-units and its commands.
    "cli": ["app"],
    # The icon drawn for the desktop entry.
    "dist": ["platform"],
    # The services' stand-ins, for the tests and the demo only.
    "standins": ["platform", "mail"],
    # The sample game and medium, and every window in a demo state for the snapshots.
    "demo": ["windows", "feedback", "setup", "mods", "standins"],
    # The editor's and the installer's main functions.
    "programs": ["windows", "feedback", "setup"],
    "bench": ["demo", "cli"],
    "tests": ["demo", "cli"],
}

# Folders that hold no sources of the product: build output and version control.
IGNORED = {".git", ".ci", "build", "scripts"}

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
    """The folder's sources, with their paths below it, sub-folders included."""
    top = os.path.join(root, folder)
    for where, dirs, names in os.walk(top):
        dirs.sort()
        for name in sorted(names):
            if name.endswith((".h", ".cpp")):
                yield os.path.relpath(os.path.join(where, name), top)


def unplaced(root):
    """Top folders of the tree that hold sources but have no place in LAYERS."""
    for name in sorted(os.listdir(root)):
        if name in LAYERS or name in IGNORED or name.startswith("."):
            continue
        if os.path.isdir(os.path.join(root, name)) and any(sources(root, name)):
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
    folders = [folder for folder in LAYERS if os.path.isdir(os.path.join(root, folder))]
    for folder in folders:
        for path in sources(root, folder):
            name = os.path.basename(path)
            if name.endswith(".h"):
                if name in home:
                    print(f"{name} is in both {home[name]}/ and {folder}/")
                    return 1
                home[name] = folder

    problems = [f"{name}/ holds sources but has no layer" for name in unplaced(root)]
    graph = {}
    for folder in folders:
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
        print(f"{len(folders)} folders, {sum(len(v) for v in graph.values())} arrows, all pointing down")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
