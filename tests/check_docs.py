#!/usr/bin/env python3
"""Checks the installed manual pages; prints each fault, exits 1 on any.

usage: tests/check_docs.py MANDIR EXPORTS WORK PLATFORM...
  MANDIR: the installed share/man; EXPORTS: tests/exports.txt; WORK: a
  scratch folder; PLATFORM: NAME|TOOL-PREFIX|PC-DIR|RUNNER, the compiler
  prefix, the folder of the installed vulm-common.pc, and the command that
  runs a program with the library's folder ({libdir}) in its loader path.
Faults: an exported name without a page (man -w 3); a mandoc -Tlint
warning; a .so link or SEE ALSO entry to no page; a SYNOPSIS that does not
compile against the installed headers (C: declared again after the header;
classes: each member's type compared with the header's); an EXAMPLES
program that does not compile with -Werror, or prints other than its page.
"""
import os
import re
import subprocess
import sys

man_dir, exports, work = sys.argv[1:4]
failures = []


def run(args, **kw):
    return subprocess.run(args, capture_output=True, text=True, **kw)


def pkg_config(pc_dir, *args):
    return run(["pkg-config", *args, "vulm-common"], env=dict(os.environ, PKG_CONFIG_PATH=pc_dir), check=True).stdout


def section(text, name):
    m = re.search(r"^\.SH " + name + r"\n(.*?)(?=^\.SH |\Z)", text, re.S | re.M)
    return m.group(1) if m else ""


def unescape(text):
    for roff, char in (("\\&", ""), ("\\-", "-"), ("\\(aq", "'"), ("\\(dq", '"'), ("\\e", "\\")):
        text = text.replace(roff, char)
    return text


def synopsis_code(text):
    """A SYNOPSIS as source: the quoted text of .B lines, and plain lines."""
    return "".join(unescape(l[3:].strip('"') if l.startswith(".B ") else l) + "\n"
                   for l in text.splitlines() if l.startswith(".B ") or not l.startswith("."))


def member_checks(code):
    """Static assertions that each member of a class synopsis has the header's
    type, made in a class derived from it, where the synopsis's unqualified
    names mean what they mean in the header."""
    checks, cls = [], None
    for line in (l.split("/*")[0].strip() for l in code.splitlines()):
        if line.startswith("class ") and line.endswith("{"):
            cls = line.split()[1]
            checks.append(f"struct check_{len(checks)} : {cls} {{")
        elif line == "};":
            checks.append("};")
        elif cls and line.endswith(";") and not line.startswith("class ") and "= delete" not in line:
            f = re.match(r"(?:explicit )?(.*?)(~?\w+)\((.*)\)( const)?;$", line)
            d = re.match(r"(.*?)(\w+)( = .*)?;$", line)
            if f:
                ret, name, params, const = f.groups()
                types = [re.sub(r"(?<=[\s*&])\w+$", "", p.strip()).strip() for p in params.split(",") if p.strip()]
                if name == cls.split("::")[-1]:
                    checks.append(f"static_assert(std::is_constructible<{', '.join([cls] + types)}>::value, \"{line}\");")
                elif not name.startswith("~"):
                    checks.append(f"static_assert(std::is_same<decltype(&{cls}::{name}), "
                                  f"{ret} ({cls}::*)({', '.join(types)}){const or ''}>::value, \"{line}\");")
            elif d:
                checks.append(f"static_assert(std::is_same<decltype({cls}::{d.group(2)}), {d.group(1).strip()}>::value, \"{line}\");")
    return "#include <type_traits>\n" + "\n".join(checks) + "\n"


platforms = []
for name, tools, pc_dir, runner in (p.split("|") for p in sys.argv[4:]):
    libdir = pkg_config(pc_dir, "--variable=libdir").strip()
    platforms.append((name, tools, pkg_config(pc_dir, "--cflags", "--libs").split(), runner.replace("{libdir}", libdir)))
os.makedirs(work, exist_ok=True)

names = [line.split()[0] for line in open(exports) if line.strip() and not line.startswith(("#", "_Z"))]
for name in names + ["semaphore", "LockToken"]:
    if run(["man", "-M", man_dir, "-w", "3", name]).returncode != 0:
        failures.append(f"{name}: no manual page")

pages = []
for path in sorted(os.path.join(man_dir, sub, f) for sub in ("man3", "man7") for f in os.listdir(os.path.join(man_dir, sub))):
    text = open(path).read()
    link = re.match(r"\.so (\S+)\n?$", text)
    if link and not os.path.exists(os.path.join(man_dir, link.group(1))):
        failures.append(f"{path}: .so names {link.group(1)}, which is not installed")
    if not link:
        pages.append((path, text))

for path, text in pages:
    lint = run(["mandoc", "-Tlint", "-W", "warning", path])
    if lint.stdout or lint.stderr:
        failures.append(f"{path}: mandoc -Tlint:\n{lint.stdout}{lint.stderr}")
    for ref, sec in re.findall(r"^\.BR (\S+) \((\d)\)", section(text, "SEE ALSO"), re.M):
        if run(["man", "-M", f"{man_dir}:/usr/share/man", "-w", sec, ref]).returncode != 0:
            failures.append(f"{path}: SEE ALSO names {ref}({sec}), which does not exist")
    if "/man3/" not in path:
        continue  # the overview: no function of its own

    synopsis = synopsis_code(section(text, "SYNOPSIS"))
    cxx = "class " in synopsis
    if cxx:
        synopsis = "".join(l + "\n" for l in synopsis.splitlines() if l.startswith("#include")) + member_checks(synopsis)
    cflags = [f for f in platforms[0][2] if f.startswith(("-I", "-D"))]
    checked = run((["g++", "-std=c++17", "-x", "c++"] if cxx else ["gcc", "-std=c99", "-x", "c"]) +
                  ["-Wall", "-Wextra", "-Werror", "-fsyntax-only", "-", *cflags], input=synopsis)
    if checked.returncode != 0:
        failures.append(f"{path}: SYNOPSIS differs from the header:\n{checked.stderr}")

    examples = [unescape(b) for b in re.findall(r"^\.EX\n(.*?)^\.EE$", section(text, "EXAMPLES"), re.S | re.M)]
    if len(examples) != 2:
        failures.append(f"{path}: EXAMPLES needs a program and its output, as two .EX blocks")
        continue
    for name, tools, flags, runner in platforms:
        base = os.path.join(work, f"{name}-{os.path.basename(path)}")
        with open(base + (".cpp" if cxx else ".c"), "w") as f:
            f.write(examples[0])
        compiler = [tools + "g++", "-std=c++17", "-Wno-psabi"] if cxx else [tools + "gcc", "-std=c99"]
        built = run(compiler + ["-Wall", "-Wextra", "-Werror", f.name, "-o", base, *flags])
        ran = run(runner.split() + [base], timeout=60) if built.returncode == 0 else None
        if not ran:
            failures.append(f"{path}: EXAMPLES does not compile for {name}:\n{built.stderr}")
        elif ran.returncode != 0 or ran.stdout != examples[1]:
            failures.append(f"{path}: EXAMPLES on {name} exited {ran.returncode} and printed\n{ran.stdout}"
                            f"instead of\n{examples[1]}{ran.stderr}")

for f in failures:
    print(f)
print(f"{len(pages)} pages, {len(names) + 2} names: {len(failures)} faults")
sys.exit(1 if failures else 0)
