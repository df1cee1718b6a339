#!/usr/bin/env python3
"""The release scripts refuse what would make a wrong release, and leave what is there alone:
a Windows medium whose compressed files would overwrite each other, a release of a tree with
changes not committed."""
import os
import shutil
import subprocess
import sys
import tempfile

SCRIPTS = sys.argv[1]
failures = []


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as out:
        out.write(text)


def expect(name, done, words, kept):
    if done.returncode == 0 or any(w not in done.stderr for w in words) or not os.path.exists(kept):
        failures.append(f"{name}: exit {done.returncode}, kept {os.path.exists(kept)}, "
                        f"stderr:\n{done.stderr}")


with tempfile.TemporaryDirectory() as root:
    # Two plugins of one name in two folders would be one QICO.DL_ on the flat medium.
    packed = os.path.join(root, "packed")
    for path in ["smarch.exe", "setup.exe", "imageformats/qico.dll", "iconengines/qico.dll"]:
        write(os.path.join(packed, path), path * 10)
    medium = os.path.join(root, "medium")
    write(os.path.join(medium, "VOVIVADU.ZED"), "an earlier medium")
    done = subprocess.run([os.path.join(SCRIPTS, "make-windows-medium.sh"), packed, medium],
                          capture_output=True, text=True)
    expect("clashing names", done, ["QICO.DL_"], os.path.join(medium, "VOVIVADU.ZED"))

with tempfile.TemporaryDirectory() as root:
    # A release of a tree whose CMakeLists.txt was changed after its last commit.
    os.makedirs(os.path.join(root, "scripts"))
    for script in ["release.sh", "install-deps.sh", "qt-mingw-dir.sh"]:
        shutil.copy(os.path.join(SCRIPTS, script), os.path.join(root, "scripts"))
    write(os.path.join(root, "CMakeLists.txt"), "project(Saltmarch98 VERSION 9.9.9)\n")
    git = ["git", "-C", root, "-c", "user.name=t", "-c", "user.email=t@example.com"]
    for args in [["init", "-q"], ["add", "."], ["commit", "-q", "-m", "release"]]:
        subprocess.run(git + args, check=True, capture_output=True)
    write(os.path.join(root, "CMakeLists.txt"), "project(Saltmarch98 VERSION 9.9.10)\n")
    earlier = os.path.join(root, "build", "release-dist", "SHA256SUMS")
    write(earlier, "an earlier release\n")
    done = subprocess.run([os.path.join(root, "scripts", "release.sh")], capture_output=True,
                          text=True, env=dict(os.environ, SMARCH_SKIP_DEPS="1"))
    expect("changes not committed", done, ["commit or stash"], earlier)

for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)
