#!/usr/bin/env python3
"""The layer check on small made-up trees: it passes a clean one and names each fault."""
import os
import subprocess
import sys
import tempfile

CHECKER = sys.argv[1]
FOLDERS = ["platform", "templates", "app", "windows", "mail", "feedback", "setup", "mods",
           "cli", "dist", "demo", "programs"]


def run(files):
    with tempfile.TemporaryDirectory() as root:
        for folder in FOLDERS:
            os.makedirs(os.path.join(root, folder))
        for path, text in files.items():
            os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
            with open(os.path.join(root, path), "w", encoding="utf-8") as out:
                out.write(text)
        done = subprocess.run([sys.executable, CHECKER, root], capture_output=True, text=True)
        return done.returncode, done.stdout


CLEAN = {
    "platform/paths.h": "#pragma once\n#include <QString>\n",
    "app/smsystem.h": '#pragma once\n#include "paths.h"\n',
    "windows/main.cpp": '#include "smsystem.h"\n#include "paths.h"\n',
    "programs/smarch.cpp": '#include "main.h"\n',
    "windows/main.h": "#pragma once\n",
}
failures = []


def expect(name, files, code, words):
    got, out = run(files)
    if got != code or any(w not in out for w in words):
        failures.append(f"{name}: exit {got}, output:\n{out}")


expect("clean tree", CLEAN, 0, ["all pointing down"])
expect("upward include", {**CLEAN, "app/smsystem.cpp": '#include "main.h"\n'}, 1,
       ["app/smsystem.cpp: includes windows/main.h, a layer above"])
expect("sideways include", {**CLEAN, "mail/msmsg.cpp": '#include "smsystem.h"\n'}, 1,
       ["mail/msmsg.cpp: includes app/smsystem.h"])
expect("unknown header", {**CLEAN, "app/x.cpp": '#include "nowhere.h"\n'}, 1, ["nowhere.h"])
expect("folder without a layer", {**CLEAN, "tools/x.cpp": '#include "paths.h"\n'}, 1,
       ["tools/ holds sources but has no layer"])
expect("sources in a sub-folder", {**CLEAN, "tests/app/t.cpp": '#include "main.h"\n',
                                   "tests/app/u.cpp": '#include "nowhere.h"\n'}, 1,
       ["tests/app/u.cpp: includes \"nowhere.h\""])
expect("one name twice", {**CLEAN, "setup/paths.h": "#pragma once\n"}, 1,
       ["paths.h is in both platform/ and setup/"])

for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
