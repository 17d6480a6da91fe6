#!/usr/bin/env python3
"""Compares a built library's four classes with ARCH's row of abi/layout.txt.

usage: tests/check_layout.py LIBRARY TOOL-PREFIX ARCH LAYOUT
Size and alignment as a client of the headers gets them (static assertions
compiled by TOOL-PREFIX's g++: nothing runs), member offsets as the library
was built (its debug data, read by abidw). Each figure that differs is
named and fails the check. Needs abigail-tools and the architecture's g++.
"""
import os
import subprocess
import sys
import xml.etree.ElementTree as ET

lib, prefix, arch, layout = sys.argv[1:5]
include = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "include")
rows = {l.split()[0]: l.split()[1:] for l in open(layout) if l.strip() and not l.startswith("#")}
if arch not in rows:
    sys.exit(f"{layout} has no row for {arch}")
sem, sem_mutex, sem_count, token_class, state, revoked, token, held = rows[arch]
# Every member is at 0 but these.
offsets = {("semaphore", "mutex"): sem_mutex, ("semaphore", "count"): sem_count,
           ("State", "revoked"): revoked, ("Token", "heldLock"): held}

probe = "#include <vulm/semaphore.h>\n#include <vulm/lock_token.h>\n"
for name, figures in (("semaphore", sem), ("LockToken", token_class), ("LockToken::State", state),
                      ("LockToken::Token", token)):
    size, align = figures.split("/")
    probe += (f'static_assert(sizeof({name}) == {size}, "{name}: size not {size}");\n'
              f'static_assert(alignof({name}) == {align}, "{name}: alignment not {align}");\n')
compiled = subprocess.run([prefix + "g++", "-std=c++17", "-fsyntax-only", "-Wno-psabi", "-D_TIME_BITS=64",
                           "-D_FILE_OFFSET_BITS=64", "-I", include, "-x", "c++", "-"],
                          input=probe, capture_output=True, text=True)
failures = [l.split("static assertion failed: ")[1] for l in compiled.stderr.splitlines() if "static assertion failed: " in l]
if compiled.returncode != 0 and not failures:
    sys.exit(f"the layout probe did not compile:\n{compiled.stderr}")

seen = {}
for c in ET.fromstring(subprocess.run(["abidw", lib], capture_output=True, text=True, check=True).stdout).iter("class-decl"):
    if c.get("name") in ("semaphore", "LockToken", "State", "Token") and c.get("size-in-bits"):
        seen.setdefault(c.get("name"), c)
for name, c in seen.items():
    for m in c.findall("data-member"):
        member, got = m.find("var-decl").get("name"), int(m.get("layout-offset-in-bits")) // 8
        if got != int(offsets.get((name, member), 0)):
            failures.append(f"{name}::{member}: offset {got}, not {offsets.get((name, member), 0)}")
if len(seen) != 4:
    failures.append(f"the library's debug data describes {sorted(seen)}, not the four classes")
for f in failures:
    print(f"{arch}: {f}")
sys.exit(1 if failures else 0)
