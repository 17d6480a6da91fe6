"""Counts the armhf instructions each work of vulm-count executes, under
qemu-user with one instruction per translation block and its execution log
(one "Trace" line per instruction run, "Trace 0" for the main thread, the
one that works), between the calls that mark the work. Exactly repeatable
for the same binary.

usage: python3 count.py [--check | --update | --costs MODULE,...] VULM-COUNT QEMU-ARGS...

Without an option it prints the pairs of ratios.py as a Markdown table: the
count with REPS runs less the count with none, over REPS and the work's
units. With --check it is the cost gate of this library's own functions:
it counts them on the small inputs of `vulm-count --gate`, all in one
process (each work one run, after one that is not counted, so first-call
costs drop out), the whole call and
the part of it inside the library's code, and fails when a count is more
than 1 % above its line in armhf-counts.txt or more than 5 % below it (a
gain must be recorded). --update rewrites that file, with the toolchain it
was counted with. --costs prints the gated costs of the named modules'
functions in the file's format (scripts/mutate compares a mutant's with the
original's)."""
import os
import subprocess
import sys

from ratios import PAIRS, add_floor

BASELINE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "armhf-counts.txt")
RISE, FALL = 0.01, 0.05
# The module whose function each gated work measures (scripts/mutate counts
# a module's surviving mutants with these).
MODULE = {"toU32": "string", "utf8_ascii": "string", "utf8_mixed": "string", "utf8_short12": "string",
          "utf8_short32": "string", "utf8_short64": "string", "ascii": "string", "crc16_ansi": "crc16",
          "crc16_ccitt": "crc16", "bits": "bitreader", "sem_uncontended": "semaphore", "lock": "lock_token"}
# The whole call depends on the C and C++ runtimes too; what runs inside
# the library's code only on the compiler and its headers.
COMPILER = ["g++-12-arm-linux-gnueabihf", "libstdc++-12-dev-armhf-cross", "libc6-dev-armhf-cross"]
RUNTIMES = ["libc6-armhf-cross", "libstdc++6-armhf-cross"]


def count(qemu, program, names, reps, gate=False):
    """Instructions the main thread ran between each pair of markers, one pair
    a named work run REPS times, in one process: [(all, inside the library)]."""
    proc = subprocess.Popen(qemu + ["-singlestep", "-d", "nochain,exec", "-D", "/dev/stderr", program]
                            + (["--gate"] if gate else []) + [str(reps)] + names,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    windows, n, pcs, counting = [], 0, {}, False
    for line in proc.stderr:
        if not line.startswith(b"Trace 0:"):  # the main thread's instructions only
            continue
        if counting and line.rstrip().endswith(b"] vulm_count_end"):
            windows.append((n, pcs))
            n, pcs, counting = 0, {}, False
            continue
        counting = counting or line.rstrip().endswith(b"] vulm_count_begin")
        n += counting
        if counting and gate:
            pc = line.split(b"/", 2)[1]
            pcs[pc] = pcs.get(pc, 0) + 1
    code = proc.stdout.read().split()
    if proc.wait() != 0 or len(windows) != len(names):
        sys.exit(f"count.py: {' '.join(names)} failed")
    first, last = int(code[2], 16), int(code[3], 16)
    return [(n, sum(k for pc, k in pcs.items() if first <= int(pc, 16) < last)) for n, pcs in windows]


def works(qemu, program, gate=False):
    """Each work's name, its units in one run and the unit's name."""
    listing = subprocess.run(qemu + [program] + (["--gate"] if gate else []) + ["--list"],
                             capture_output=True, text=True, check=True).stdout
    return [(name, int(units), unit) for name, units, unit in (line.split() for line in listing.splitlines())]


def gated_costs(qemu, program, modules=None):
    """This library's costs per unit on the gate's inputs: {name: (all, inside the library, unit)}."""
    gated = [(name, units, unit) for name, units, unit in works(qemu, program, gate=True)
             if name.endswith("/vulm") and (modules is None or MODULE[name.split("/")[0]] in modules)]
    counts = count(qemu, program, [name for name, _, _ in gated], 1, gate=True)
    return {name: (whole / units, inside / units, unit) for (name, units, unit), (whole, inside) in zip(gated, counts)}


def versions(packages):
    out = subprocess.run(["dpkg-query", "-W", "-f", "${Package} ${Version}\n"] + packages,
                         capture_output=True, text=True).stdout
    return sorted(out.splitlines())


def cost_lines(costs):
    return [f"{name} {whole:.4f} {inside:.4f} {unit}\n" for name, (whole, inside, unit) in costs.items()]


def parse_costs(lines):
    """The costs of cost_lines, and the toolchain of the "# with" comments."""
    costs, recorded = {}, []
    for line in lines:
        if line.startswith("# with "):
            recorded.append(line[len("# with "):].strip())
        elif line.strip() and not line.startswith("#"):
            name, whole, inside, unit = line.split()
            costs[name] = (float(whole), float(inside), unit)
    return costs, recorded


def higher(now, then):
    """Whether a count rose by more than the gate lets through."""
    return now > then * (1 + RISE)


def verdict(now, then):
    """None within the thresholds, else what is wrong."""
    if higher(now, then):
        return "higher"
    if now < then * (1 - FALL):
        return "lower: record the gain with scripts/bench --target --update"
    return None


def check(costs):
    with open(BASELINE, encoding="utf-8") as f:
        baseline, recorded = parse_costs(f)
    same_compiler = all(v in recorded for v in versions(COMPILER))
    same_runtimes = same_compiler and all(v in recorded for v in versions(RUNTIMES))
    if not same_runtimes:
        print(f"count.py: the toolchain differs from the baseline's ({', '.join(recorded)}):\n"
              f"  {'only the instructions inside the library are' if same_compiler else 'nothing is'} gated;"
              " re-baseline with scripts/bench --target --update")
    failed = 0
    print("| Function | Unit | Whole call | Baseline | Ratio | Inside the library | Baseline | Ratio | |")
    print("|---|---|---|---|---|---|---|---|---|")
    for name, (whole, inside, unit) in costs.items():
        if name not in baseline:
            sys.exit(f"count.py: {name} has no baseline: scripts/bench --target --update")
        base_whole, base_inside, _ = baseline[name]
        wrong = []
        for what, now, then, gated in (("whole call", whole, base_whole, same_runtimes),
                                       ("inside the library", inside, base_inside, same_compiler)):
            why = verdict(now, then) if gated else None
            if why:
                wrong.append(f"{what} {why}")
        failed += bool(wrong)
        print(f"| {name} | {unit} | {whole:.2f} | {base_whole:.2f} | {whole / base_whole:.3f} | {inside:.2f} "
              f"| {base_inside:.2f} | {inside / base_inside:.3f} | {'; '.join(wrong) or 'ok'} |")
    if failed:
        sys.exit(f"count.py: {failed} of {len(costs)} costs left the baseline (more than {RISE:.0%} higher"
                 f" or {FALL:.0%} lower)")
    if not same_compiler:
        print("count.py: nothing gated, the toolchain differs from the baseline's")
    else:
        print(f"count.py: all {len(costs)} costs{'' if same_runtimes else ' inside the library'} within"
              f" {RISE:.0%} above and {FALL:.0%} below the baseline")


def update(costs):
    with open(BASELINE, "w", encoding="utf-8") as f:
        f.write("# armhf instructions per unit of work of this library's functions, on the\n"
                "# inputs of `vulm-count --gate`: the whole call, and the part inside the\n"
                "# library's code. Written by scripts/bench --target --update, checked by\n"
                "# scripts/bench --target --check; counted with:\n")
        f.writelines(f"# with {v}\n" for v in versions(COMPILER + RUNTIMES))
        f.writelines(cost_lines(costs))
    print(f"count.py: {BASELINE} rewritten with {len(costs)} costs")


def report(program, qemu):
    per, unit = {}, {}
    for name, units, what in works(qemu, program):
        reps = 2 if units >= 1024 else 200
        per[name] = (count(qemu, program, [name], reps)[0][0] - count(qemu, program, [name], 0)[0][0]) / (reps * units)
        unit[name] = what
    add_floor(per, unit)
    print("| Function | Peer | This library | Peer | Ratio |")
    print("|---|---|---|---|---|")
    for what, ours, peer, _ in PAIRS:
        if ours in per and peer in per:
            shown = peer.split("/")[1] if "/" in peer else "2 mutex + signal"
            print(f"| {what} | {shown} | {per[ours]:.2f} / {unit[ours]} | {per[peer]:.2f} / {unit[peer]} "
                  f"| {per[ours] / per[peer]:.2f} |")


if __name__ == "__main__":
    mode = sys.argv.pop(1) if sys.argv[1] in ("--check", "--update", "--costs") else None
    modules = sys.argv.pop(1).split(",") if mode == "--costs" else None
    program, qemu = sys.argv[1], sys.argv[2:]
    if mode == "--check":
        check(gated_costs(qemu, program))
    elif mode == "--update":
        update(gated_costs(qemu, program))
    elif mode == "--costs":
        sys.stdout.writelines(cost_lines(gated_costs(qemu, program, modules)))
    else:
        report(program, qemu)
