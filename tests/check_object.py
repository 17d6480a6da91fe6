#!/usr/bin/env python3
"""Checks what a release object of the library asks of the system that loads it.

usage: tests/check_object.py LIBRARY TOOL-PREFIX CEILINGS
  (LIBRARY is the shared object or the static archive, whose members get
  the first two checks, and must be objects that binutils reads and link
  into a shared object with no text relocations)
  (TOOL-PREFIX is "" or a cross triplet with its dash, for readelf and nm)

- Nothing of its own runs at load or unload: .init_array and .fini_array hold
  only the compiler's own entries (frame_dummy, __do_global_dtors_aux).
- No mutable global state: writable data (.data, .bss, their small-data
  forms .sdata and .sbss) holds no object but the C runtime's own, so none
  from our sources or from a static helper library linked in; and there is
  no thread-local data at all (no TLS symbol, no TLS segment).
- No newer platform than promised: every symbol version it requires (GLIBC_,
  GLIBCXX_, CXXABI_, GCC_) is at most the ceiling for its family in CEILINGS;
  a failure names the symbol that brings the higher version in.
The entries are read in the object's own word size and byte order. Needs
binutils and, for an archive, gcc (their cross tools for the object's
architecture); installs nothing.
"""
import re
import subprocess
import sys
import tempfile

lib, prefix, ceilings_file = sys.argv[1:4]
# The start files' own entries: GCC's crtstuff, and compiler-rt's crtbegin
# where clang links with --rtlib=compiler-rt.
TOOLCHAIN_ENTRIES = {".init_array": {"frame_dummy", "__do_init"}, ".fini_array": {"__do_global_dtors_aux", "__do_fini"}}
# What those start files and the C++ runtime's personality reference place
# in .data/.bss, and the linker's marks of where they meet (kept, as local
# symbols, by a link with libc++).
TOOLCHAIN_DATA = {"__dso_handle", "__TMC_END__", "completed.0", "DW.ref.__gxx_personality_v0", "__bss_start", "_edata",
                  "__do_init.__initialized", "__do_init.__object", "__do_fini.__finalized"}
WRITABLE_DATA = re.compile(r"^\.(s?data|s?bss)(\.|$)")
failures = []


def run(tool, *args):
    return subprocess.run([prefix + tool, *args, lib], check=True, capture_output=True, text=True).stdout


def report(ok, text):
    print(("ok:      " if ok else "FAILED:  ") + text)
    if not ok:
        failures.append(text)


# A static archive: its members hold no code run at load (no constructor
# sections) and no writable or thread-local object. What they require of
# the runtime is settled when a client links them, so no ceilings here.
with open(lib, "rb") as f:
    if f.read(8) == b"!<arch>\n":
        member, entries, data = "", [], []
        # objdump skips, with an error, a member it cannot read at all
        listing = subprocess.run([prefix + "objdump", "-h", "-t", lib], capture_output=True, text=True).stdout
        unread = set()
        for line in listing.splitlines():
            if m := re.match(r"^(\S+):\s+file format", line):
                member = m[1]
            elif re.match(r"^\s*\d+ \.gnu\.lto_", line):
                unread.add(member)
            elif (m := re.match(r"^\s*\d+ (\.(init_array|fini_array|ctors|dtors)\S*)\s+([0-9a-f]+)", line)) and int(m[3], 16):
                entries.append(f"{m[1]} in {member}")
            # objects (flag O) in writable sections, and any symbol but a
            # section's own (flag d) in thread-local ones
            elif (m := re.match(r"^[0-9a-f]+ (.{7})\s(\S+)\s+[0-9a-f]+\s+(?:\.(?:hidden|protected|internal) )?(\S+)$", line)) and \
                    m[3] not in TOOLCHAIN_DATA and "d" not in m[1] and \
                    ("O" in m[1] and WRITABLE_DATA.match(m[2]) and not m[2].startswith(".data.rel.ro") or
                     m[2].startswith((".tdata", ".tbss"))):
                data.append(f"{m[3]} in {m[2]} of {member}")
        # Every member must be an object that binutils reads: LTO bitcode
        # (clang's, or GCC's sections of its intermediate language) would
        # pass the checks above with nothing checked.
        unread |= set(run("ar", "t").split()) - set(re.findall(r"^(\S+):\s+file format", listing, re.M))
        report(not unread, "every member is an object that can be checked" + "".join(f"\n           {u}" for u in sorted(unread)))
        # Position-independent: the members link into a shared object with
        # no text relocations, which the linker refuses under -z text. The C
        # driver brings what the C library links in (the stack protector's
        # local helper on i386 and PowerPC); C++ names stay undefined.
        with tempfile.TemporaryDirectory() as tmp:
            linked = subprocess.run([prefix + "gcc", "-shared", "-Wl,-z,text", "-Wl,--whole-archive", lib,
                                     "-Wl,--no-whole-archive", "-o", tmp + "/probe.so"], capture_output=True, text=True)
        report(linked.returncode == 0, "links into a shared object with no text relocations" +
               "".join(f"\n           {e}" for e in linked.stderr.splitlines()[:5]))
        report(not entries, "no member runs code at load or unload" + "".join(f"\n           {e}" for e in entries))
        report(not data, "no mutable global state" + "".join(f"\n           {d}" for d in sorted(data)))
        sys.exit(1 if failures else 0)

sections = {}  # name -> (address, file offset, size)
for m in re.finditer(r"\]\s+(\S+)\s+\S+\s+([0-9a-f]+)\s+([0-9a-f]+)\s+([0-9a-f]+)", run("readelf", "-W", "-S")):
    sections[m[1]] = (int(m[2], 16), int(m[3], 16), int(m[4], 16))
symbols = {}  # address -> names of the symbols defined there
for m in re.finditer(r"^([0-9a-f]+) [a-zA-Z] (\S+)$", run("nm"), re.M):
    symbols.setdefault(int(m[1], 16), []).append(m[2])
header = run("readelf", "-h")
word = 8 if "ELF64" in header else 4
order = "big" if "big endian" in header else "little"

# Where a relative relocation carries its addend (RELA), the loader writes
# the addend, and the section may hold 0 (32-bit PowerPC).
addends = {int(m[1], 16): int(m[2], 16) for m in
           re.finditer(r"^([0-9a-f]+)\s+[0-9a-f]+\s+R_\w+_RELATIVE\s+([0-9a-f]+)$", run("readelf", "-W", "-r"), re.M)}

for name, allowed in TOOLCHAIN_ENTRIES.items():
    address, offset, size = sections.get(name, (0, 0, 0))
    with open(lib, "rb") as f:
        f.seek(offset)
        data = f.read(size)
    entries = [addends.get(address + i, int.from_bytes(data[i:i + word], order)) for i in range(0, len(data), word)]
    entries = [a if a in symbols else a & ~1 for a in entries]  # on ARM, bit 0 marks Thumb code
    names = [" or ".join(symbols.get(a, [hex(a)])) for a in entries]
    report(all(set(symbols.get(a, [])) & allowed for a in entries),
           f"{name} runs only the toolchain's own: {', '.join(names) or 'nothing'}")

writable = []
for name, (start, _, size) in sections.items():
    if WRITABLE_DATA.match(name) and not name.startswith(".data.rel.ro"):
        writable += [(s, name) for a, names in symbols.items() if start <= a < start + size
                     for s in names if s not in TOOLCHAIN_DATA]
# nm gives a thread-local symbol as an offset in the TLS block, which says
# nothing of its section: such data is found by its symbol type (objects
# have a size; ARM's mapping symbols do not), and by the TLS segment where
# no symbol is left to name it.
tls = {m[1] for m in re.finditer(r"^\s*\d+:\s+[0-9a-f]+\s+[1-9]\d*\s+TLS\s+\S+\s+\S+\s+\S+\s+(\S+)$",
                                 run("readelf", "-W", "-s"), re.M)}
if not tls and re.search(r"^\s+TLS\s", run("readelf", "-W", "-l"), re.M):
    tls = {"a TLS segment"}
writable += [(s, "thread-local storage") for s in tls]
report(not writable, "no mutable global state" +
       "".join(f"\n           {s} in {name}" for s, name in sorted(writable)))

ceilings = {}
for line in open(ceilings_file):
    if line.strip() and not line.startswith("#"):
        family, _, version = line.split()[0].rpartition("_")
        ceilings[family] = version


def key(version):
    return [int(part) for part in version.split(".")]


highest = {}
for m in re.finditer(r" UND (\S+)@(\S+)", run("readelf", "-W", "--dyn-syms")):
    symbol, tag = m.groups()
    family, _, version = tag.rpartition("_")
    ceiling = ceilings.get(family)
    if ceiling is None or not re.fullmatch(r"[0-9.]+", version):
        report(False, f"{symbol} requires {tag}, for which {ceilings_file} sets no ceiling")
    elif key(version) > key(ceiling):
        report(False, f"{symbol} requires {tag}, above the ceiling {family}_{ceiling} ({ceilings_file})")
    elif family not in highest or key(version) > key(highest[family]):
        highest[family] = version
for family in sorted(highest):
    report(True, f"requires at most {family}_{highest[family]} (ceiling {family}_{ceilings[family]})")
sys.exit(1 if failures else 0)
