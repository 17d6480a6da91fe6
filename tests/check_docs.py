#!/usr/bin/env python3
"""Checks the library's manual pages as they are installed.

usage: tests/check_docs.py MANDIR EXPORTS WORK PLATFORM...
  MANDIR    the installed share/man folder
  EXPORTS   tests/exports.txt: the names the shared object exports
  WORK      a scratch folder for the programs
  PLATFORM  NAME|TOOL-PREFIX|PC-DIR|RUNNER: a compiler prefix ("" for the
            host's), the folder of the installed library's vulm-common.pc,
            and the command that runs a program of that platform with the
            library's folder, which stands in it as {libdir}, in its loader
            path; the first platform also compiles the synopses

Fails, naming each fault, on:
- an exported name (each flat function and data object, and the classes
  semaphore and LockToken) for which "man -w 3 NAME" finds no page;
- a page that "mandoc -Tlint" warns about;
- a ".so" link or a SEE ALSO entry naming a page that does not exist here
  or in the system's manual;
- a SYNOPSIS that does not compile against the installed headers: C
  declarations are compiled after the header (a changed type is a
  conflicting declaration), class members are compared with the header's by
  their types;
- an EXAMPLES program that does not compile with -Wall -Wextra -Werror
  against the installed library, or whose output differs from the output
  the page shows after it, on every platform.
Needs man-db, mandoc, pkg-config and each platform's gcc and g++.
"""
import os
import re
import subprocess
import sys

man_dir, exports, work = sys.argv[1:4]
platforms = [p.split("|") for p in sys.argv[4:]]
failures = []


def run(args, **kw):
    return subprocess.run(args, capture_output=True, text=True, **kw)


def section(text, name):
    """The lines of a page's section NAME, up to the next .SH."""
    m = re.search(r"^\.SH " + name + r"\n(.*?)(?=^\.SH |\Z)", text, re.S | re.M)
    return m.group(1).splitlines() if m else []


def unescape(line):
    for roff, char in (("\\&", ""), ("\\-", "-"), ("\\(aq", "'"), ("\\(dq", '"'), ("\\e", "\\")):
        line = line.replace(roff, char)
    return line


def blocks(lines):
    """The .EX ... .EE blocks of a section, as text."""
    found, block = [], None
    for line in lines:
        if line == ".EX":
            block = []
        elif line == ".EE":
            found.append("".join(unescape(b) + "\n" for b in block))
            block = None
        elif block is not None:
            block.append(line)
    return found


def synopsis_code(lines):
    """A SYNOPSIS as source text: .B lines' quoted text and plain lines."""
    code = []
    for line in lines:
        if line.startswith(".B "):
            code.append(unescape(line[3:].strip().strip('"')))
        elif not line.startswith("."):
            code.append(unescape(line))
    return "\n".join(code) + "\n"


def member_checks(code):
    """Static assertions that each member a class synopsis declares has the
    header's type: made inside a class derived from it, where the synopsis's
    unqualified names mean what they mean in the header."""
    checks, cls = [], None
    for line in code.splitlines():
        line = line.split("/*")[0].strip()
        m = re.match(r"class (\S+) \{", line)
        if m:
            cls = m.group(1)
            checks.append(f"struct check_{len(checks)} : {cls} {{")
            continue
        if line == "};":
            checks.append("};")
            cls = None
            continue
        if not cls or not line.endswith(";") or line.startswith("class "):
            continue  # outside a class, a label, a nested class's declaration
        short = cls.split("::")[-1]
        f = re.match(r"(?:explicit )?(.*?)(~?\w+|operator=)\((.*)\)( const)?( = delete)?;$", line)
        if f:
            ret, name, params, const, deleted = f.groups()
            types = [re.sub(r"(?<=[\s*&])\w+$", "", p.strip()).strip() for p in params.split(",") if p.strip()]
            if deleted:
                trait = "is_copy_assignable" if name == "operator=" else "is_copy_constructible"
                checks.append(f'static_assert(!std::{trait}<{cls}>::value, "{line}");')
            elif name == short:
                checks.append(f'static_assert(std::is_constructible<{", ".join([cls] + types)}>::value, "{line}");')
            elif name != "~" + short:
                checks.append(f'static_assert(std::is_same<decltype(&{cls}::{name}), '
                              f'{ret.strip()} ({cls}::*)({", ".join(types)}){const or ""}>::value, "{line}");')
            continue
        d = re.match(r"(.*?)(\w+)( = .*)?;$", line)
        if d:
            checks.append(f'static_assert(std::is_same<decltype({cls}::{d.group(2)}), {d.group(1).strip()}>::value, "{line}");')
    return "\n".join(checks) + "\n"


def compile_and_run(page, code, cxx, platform, expected):
    name, tools, pc_dir, runner = platform
    base = os.path.join(work, f"{name}-{os.path.basename(page)}")
    source = base + (".cpp" if cxx else ".c")
    with open(source, "w") as f:
        f.write(code)
    flags = run(["pkg-config", "--cflags", "--libs", "vulm-common"], env=dict(os.environ, PKG_CONFIG_PATH=pc_dir),
                check=True).stdout.split()
    libdir = run(["pkg-config", "--variable=libdir", "vulm-common"], env=dict(os.environ, PKG_CONFIG_PATH=pc_dir),
                 check=True).stdout.strip()
    compiler = [tools + "g++", "-std=c++17", "-Wno-psabi"] if cxx else [tools + "gcc", "-std=c99"]
    built = run(compiler + ["-Wall", "-Wextra", "-Werror", source, "-o", base] + flags)
    if built.returncode != 0:
        failures.append(f"{page}: EXAMPLES does not compile for {name}:\n{built.stderr}")
        return
    ran = run(runner.replace("{libdir}", libdir).split() + [base], timeout=60)
    if ran.returncode != 0 or ran.stdout != expected:
        failures.append(f"{page}: EXAMPLES on {name} exited {ran.returncode} and printed\n{ran.stdout}"
                        f"instead of\n{expected}{ran.stderr}")


os.makedirs(work, exist_ok=True)
names = [line.split()[0] for line in open(exports) if line.strip() and not line.startswith(("#", "_Z"))]
for name in names + ["semaphore", "LockToken"]:
    if run(["man", "-M", man_dir, "-w", "3", name]).returncode != 0:
        failures.append(f"{name}: no manual page")

pages = []
for sub in ("man3", "man7"):
    for entry in sorted(os.listdir(os.path.join(man_dir, sub))):
        path = os.path.join(man_dir, sub, entry)
        text = open(path).read()
        link = re.match(r"\.so (\S+)\n?$", text)
        if link:
            if not os.path.exists(os.path.join(man_dir, link.group(1))):
                failures.append(f"{path}: .so names {link.group(1)}, which is not installed")
            continue
        pages.append((path, text))

for path, text in pages:
    lint = run(["mandoc", "-Tlint", "-W", "warning", path])
    if lint.stdout or lint.stderr:
        failures.append(f"{path}: mandoc -Tlint:\n{lint.stdout}{lint.stderr}")
    for line in section(text, "SEE ALSO"):
        for ref, sec in re.findall(r"^\.BR (\S+) \((\d)\)", line):
            if run(["man", "-M", f"{man_dir}:/usr/share/man", "-w", sec, ref]).returncode != 0:
                failures.append(f"{path}: SEE ALSO names {ref}({sec}), which does not exist")

    if "/man3/" not in path:
        continue  # an overview page: no function of its own
    synopsis = synopsis_code(section(text, "SYNOPSIS"))
    cxx = "class " in synopsis
    host = platforms[0]
    cflags = run(["pkg-config", "--cflags", "vulm-common"], env=dict(os.environ, PKG_CONFIG_PATH=host[2]),
                 check=True).stdout.split()
    if cxx:
        includes = "".join(l + "\n" for l in synopsis.splitlines() if l.startswith("#include"))
        source, command = includes + "#include <type_traits>\n" + member_checks(synopsis), ["g++", "-std=c++17"]
    else:
        source, command = synopsis, ["gcc", "-std=c99"]
    checked = run(command + ["-Wall", "-Wextra", "-Werror", "-fsyntax-only", "-x", "c++" if cxx else "c", "-"] + cflags,
                  input=source)
    if checked.returncode != 0:
        failures.append(f"{path}: SYNOPSIS differs from the header:\n{checked.stderr}")

    examples = blocks(section(text, "EXAMPLES"))
    if len(examples) != 2:
        failures.append(f"{path}: EXAMPLES needs a program and its output, as two .EX blocks")
        continue
    for platform in platforms:
        compile_and_run(os.path.basename(path), examples[0], cxx, platform, examples[1])

for f in failures:
    print(f)
print(f"{len(pages)} pages, {len(names) + 2} names: {len(failures)} faults")
sys.exit(1 if failures else 0)
