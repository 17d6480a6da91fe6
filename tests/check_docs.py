#!/usr/bin/env python3
"""Checks the installed manual pages; prints each fault, exits 1 on any.

usage: tests/check_docs.py MANDIR EXPORTS WORK PLATFORM...
  MANDIR: the installed share/man; EXPORTS: tests/exports.txt; WORK: a
  scratch folder; PLATFORM: NAME|TOOL-PREFIX|PC-DIR|RUNNER, the compiler
  prefix, the folder of the installed vulm-common.pc, and the command that
  runs a program with the library's folder ({libdir}) in its loader path.
Faults: an exported name without a page (man -w 3); a mandoc -Tlint or
groff -ww warning; a .so link to no page or to one whose NAME lacks it; a
SEE ALSO entry to no page, or out of order (section, then name); an
ATTRIBUTES section that does not begin with attributes(7); a SYNOPSIS
that declares what the library does not export, an exported name in no or
in two SYNOPSIS sections; a SYNOPSIS that does not compile against the
installed headers (C: declared again after the header; classes: each
member's type compared with the header's); an EXAMPLES
program that does not compile with -Werror, or prints other than its page.
"""
import os
import re
import subprocess
import sys

man_dir, exports, work = sys.argv[1:4]
ATTRIBUTES_INTRO = "For an explanation of the terms used in this section, see\n.BR attributes (7).\n"
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


def roff_words(line):
    """The text of a font macro line (.B, .BI, .IR, ...): its arguments,
    quoted or not ("" inside quotes is a quote), joined by spaces for .B and
    .I and alternately set, with nothing between them, for .BI and the like."""
    macro, _, rest = line.partition(" ")
    words = [w[1:-1].replace('""', '"') if w.startswith('"') else w
             for w in re.findall(r'"(?:[^"]|"")*"|\S+', rest)]
    return unescape((" " if len(macro) == 2 else "").join(words))


def synopsis_code(text):
    """A SYNOPSIS as source: its first .nf block, font macros read as their
    text and plain lines as they stand; other requests dropped."""
    block = re.search(r"^\.nf\n(.*?)^\.fi$", text, re.S | re.M)
    return "".join((roff_words(l) if re.match(r"\.[BIR]{1,2} ", l) else unescape(l)) + "\n"
                   for l in (block.group(1) if block else "").splitlines()
                   if re.match(r"\.[BIR]{1,2} ", l) or not l.startswith("."))


def declared(code):
    """The functions and data a SYNOPSIS declares: flat names, and Class::member
    for the members of a class (deleted ones aside)."""
    names, cls = set(), None
    for line in (l.split("/*")[0].strip() for l in code.splitlines()):
        if line.startswith("class ") and line.endswith("{"):
            cls = line.split()[1]
        elif line == "};":
            cls = None
        elif line.endswith(";") and "= delete" not in line and not line.startswith(("class ", "#")):
            m = re.search(r"(~?\w+)\s*[(\[]", line)
            if m and (cls or not line.startswith("typedef")):
                names.add(f"{cls}::{m.group(1)}" if cls else m.group(1))
    return names


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

symbols = [line.split()[0] for line in open(exports) if line.strip() and not line.startswith("#")]
names = [s for s in symbols if not s.startswith("_Z")]
# Exported names as a SYNOPSIS declares them: C++ members as Class::member.
demangled = run(["c++filt"], input="\n".join(s for s in symbols if s.startswith("_Z"))).stdout.split("\n")
exported = set(names) | {re.sub(r"\(.*", "", d) for d in demangled if d}
synopses = {name: [] for name in exported}
for name in names + ["semaphore", "LockToken"]:
    if run(["man", "-M", man_dir, "-w", "3", name]).returncode != 0:
        failures.append(f"{name}: no manual page")

pages = []
for path in sorted(os.path.join(man_dir, sub, f) for sub in ("man3", "man7") for f in os.listdir(os.path.join(man_dir, sub))):
    text = open(path).read()
    link = re.match(r"\.so (\S+)\n?$", text)
    target = link and os.path.join(man_dir, link.group(1))
    if link and not os.path.exists(target):
        failures.append(f"{path}: .so names {link.group(1)}, which is not installed")
    elif link and os.path.basename(path)[:-2] not in re.split(r"[,\s]+", section(open(target).read(), "NAME").split("\\-")[0]):
        failures.append(f"{path}: .so names {link.group(1)}, whose NAME does not list it")
    if not link:
        pages.append((path, text))

for path, text in pages:
    lint = run(["mandoc", "-Tlint", "-W", "warning", path])
    if lint.stdout or lint.stderr:
        failures.append(f"{path}: mandoc -Tlint:\n{lint.stdout}{lint.stderr}")
    groff = run(["groff", "-ww", "-t", "-man", "-Tutf8", "-z", path])
    if groff.stderr:
        failures.append(f"{path}: groff -ww:\n{groff.stderr}")
    if "/man3/" in path and not section(text, "ATTRIBUTES").startswith(ATTRIBUTES_INTRO):
        failures.append(f"{path}: ATTRIBUTES does not begin by pointing to attributes(7)")
    see_also = re.findall(r"^\.BR (\S+) \((\d)\)", section(text, "SEE ALSO"), re.M)
    if see_also != sorted(see_also, key=lambda r: (r[1], r[0].lower())):
        failures.append(f"{path}: SEE ALSO is not ordered by section, then name")
    for ref, sec in see_also:
        if run(["man", "-M", f"{man_dir}:/usr/share/man", "-w", sec, ref]).returncode != 0:
            failures.append(f"{path}: SEE ALSO names {ref}({sec}), which does not exist")
    if "/man3/" not in path:
        continue  # the overview: no function of its own

    synopsis = synopsis_code(section(text, "SYNOPSIS"))
    for name in declared(synopsis):
        if name not in exported:
            failures.append(f"{path}: SYNOPSIS declares {name}, which the library does not export")
        else:
            synopses[name].append(path)
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

for name, where in sorted(synopses.items()):
    if len(where) != 1:
        failures.append(f"{name}: in {len(where)} SYNOPSIS sections, not one: {' '.join(where)}")
for f in failures:
    print(f)
print(f"{len(pages)} pages, {len(names) + 2} names: {len(failures)} faults")
sys.exit(1 if failures else 0)
