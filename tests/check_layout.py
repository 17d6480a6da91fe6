#!/usr/bin/env python3
"""Compares a built library's classes with their row in abi/layout.txt.

usage: tests/check_layout.py LIBRARY TOOL-PREFIX ARCH LAYOUT
  (TOOL-PREFIX is "" or a cross triplet with its dash, for g++)

- Size and alignment of semaphore, LockToken, LockToken::State and
  LockToken::Token as a client of the headers gets them: static assertions
  compiled by the architecture's g++ (nothing is run, so no emulator).
- Member offsets as the library was built: from its debug data, read by
  abidw.
Each figure that differs from ARCH's row is named and fails the check.
Needs abigail-tools and the architecture's g++; installs nothing.
"""
import os
import subprocess
import sys
import xml.etree.ElementTree as ET

lib, prefix, arch, layout = sys.argv[1:5]
include = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "include")
rows = {line.split()[0]: line.split()[1:] for line in open(layout) if line.strip() and not line.startswith("#")}
if arch not in rows:
    sys.exit(f"{layout} has no row for {arch}")
sem, sem_mutex, sem_count, token_class, state, revoked, token, held = rows[arch]
classes = {"semaphore": sem, "LockToken": token_class, "LockToken::State": state, "LockToken::Token": token}
# The first member of each class is at 0; the others where the row says.
offsets = {("semaphore", "mutex"): sem_mutex, ("semaphore", "count"): sem_count,
           ("State", "revoked"): revoked, ("Token", "heldLock"): held}

failures = []
probe = "#include <vulm/semaphore.h>\n#include <vulm/lock_token.h>\n"
for name, figures in classes.items():
    size, align = figures.split("/")
    probe += (f"static_assert(sizeof({name}) == {size}, \"{name}: size not {size}\");\n"
              f"static_assert(alignof({name}) == {align}, \"{name}: alignment not {align}\");\n")
compiled = subprocess.run([prefix + "g++", "-std=c++17", "-fsyntax-only", "-Wno-psabi", "-D_TIME_BITS=64",
                           "-D_FILE_OFFSET_BITS=64", "-I", include, "-x", "c++", "-"],
                          input=probe, capture_output=True, text=True)
failures += [line.split("static assertion failed: ")[1] for line in compiled.stderr.splitlines()
             if "static assertion failed: " in line]
if compiled.returncode != 0 and not failures:
    sys.exit(f"the layout probe did not compile:\n{compiled.stderr}")

xml = subprocess.run(["abidw", lib], capture_output=True, text=True, check=True).stdout
seen = set()
for c in ET.fromstring(xml).iter("class-decl"):
    name = c.get("name")
    if name not in ("semaphore", "LockToken", "State", "Token") or not c.get("size-in-bits") or name in seen:
        continue
    seen.add(name)
    for i, m in enumerate(c.findall("data-member")):
        member = m.find("var-decl").get("name")
        got = int(m.get("layout-offset-in-bits")) // 8
        want = 0 if i == 0 else int(offsets.get((name, member), -1))
        if got != want:
            failures.append(f"{name}::{member}: offset {got}, not {want}")
if len(seen) != 4:
    failures.append(f"the library's debug data describes {sorted(seen)}, not the four classes")
for f in failures:
    print(f"{arch}: {f}")
sys.exit(1 if failures else 0)
