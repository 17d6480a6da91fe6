"""Counts the armhf instructions each work of vulm-count executes, under
qemu-user with one instruction per translation block and its execution log
(one "Trace" line per instruction run, "Trace 0" for the main thread, the
one that works), between the calls that mark the work: the count with REPS
runs less the count with none, over REPS and the work's units. Prints the pairs of
ratios.py as a Markdown table. Exactly repeatable for the same binary.

usage: python3 count.py VULM-COUNT QEMU-ARGS..."""
import subprocess
import sys

from ratios import PAIRS, add_floor


def count(qemu, program, name, reps):
    proc = subprocess.Popen(qemu + ["-singlestep", "-d", "nochain,exec", "-D", "/dev/stderr",
                                    program, name, str(reps)],
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    n, counting = 0, False
    for line in proc.stderr:
        if not line.startswith(b"Trace 0:"):  # the main thread's instructions only
            continue
        if line.rstrip().endswith(b"] vulm_count_end"):
            break
        counting = counting or line.rstrip().endswith(b"] vulm_count_begin")
        n += counting
    proc.stderr.read()
    if proc.wait() != 0:
        sys.exit(f"count.py: {name} failed")
    return n


def main(program, qemu):
    listing = subprocess.run(qemu + [program, "--list"], capture_output=True, text=True, check=True).stdout
    per = {}
    unit = {}
    for line in listing.splitlines():
        name, units, what = line.split()
        reps = 2 if int(units) >= 1024 else 200
        per[name] = (count(qemu, program, name, reps) - count(qemu, program, name, 0)) / (reps * int(units))
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
    main(sys.argv[1], sys.argv[2:])
