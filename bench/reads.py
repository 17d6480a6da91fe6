"""Shows that string_isUtf8 loads each byte of its data at most once, and
nothing after the 16-byte block that holds the first invalid byte: runs
vulm-reads under valgrind's lackey (every load logged) over the encoding
seeds and texts cut and spoilt at every place, and fails on a byte loaded
twice, on a load past that block, on a load in the block-sized margin
before or after a text, on a valid text not loaded whole, on a text that
the trace did not reach, or on a result that is not Python's.

usage: python3 reads.py VULM-READS   (from any folder)"""
import codecs
import glob
import os
import re
import subprocess
import sys
import tempfile

SEEDS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fuzz", "corpus", "encoding")
MARGIN = 16  # one block of the walk
TEXT = "Grüße aus Köln, Привет, 来自北京 😀🚀 naïve café and some plain ASCII after it. ".encode()


def inputs():
    seeds = sorted(glob.glob(os.path.join(SEEDS, "*")))
    if not seeds:
        sys.exit(f"reads: no seeds in {SEEDS}")
    yield from (open(seed, "rb").read() for seed in seeds)
    for n in range(len(TEXT) + 1):
        yield TEXT[:n]  # cut inside characters, too
    for at in range(0, 70, 3):
        for bad in (b"\x80", b"\xff", b"\xc3A"):
            yield TEXT[:at] + bad + TEXT[at:]


def first_invalid(data):
    """The index of the first byte that cannot continue well-formed UTF-8, the
    length for a text cut short, or None for valid UTF-8."""
    decoder = codecs.getincrementaldecoder("utf-8")()
    for i in range(len(data)):
        try:
            decoder.decode(data[i:i + 1])
        except UnicodeDecodeError:
            return i
    try:
        decoder.decode(b"", final=True)
        return None
    except UnicodeDecodeError:
        return len(data)


def main(program):
    texts = list(inputs())
    with tempfile.TemporaryDirectory() as tmp:
        files = []
        for i, text in enumerate(texts):
            files.append(os.path.join(tmp, str(i)))
            with open(files[-1], "wb") as f:
                f.write(text)
        log = os.path.join(tmp, "lackey")
        # No optimisation of the translated code: it drops a load whose value
        # is not used, which is still a read of the memory.
        run = subprocess.run(["valgrind", "--tool=lackey", "--trace-mem=yes", "--vex-iropt-level=0",
                              "--log-file=" + log, program] + files,
                             capture_output=True, text=True)
        if run.returncode != 0:
            sys.exit(f"reads: {program} failed under valgrind (exit {run.returncode})")
        out = run.stdout.split("\n")
        marker = " L %08x,1\n" % int(out.pop(0).split()[1], 16)  # lackey's form of the load of start
        with open(log) as f:
            walks = f.read().split(marker)[1:]  # what each walk loaded, and printf after it
    out = [line for line in out if line]
    if len(walks) != len(texts) or len(out) != len(texts):
        sys.exit(f"reads: {len(walks)} walks traced and {len(out)} results for {len(texts)} texts")
    failures = 0
    for text, line, walk in zip(texts, out, walks):
        loads = {}
        for m in re.finditer(r"^ [LM] ([0-9a-f]+),(\d+)$", walk, re.M):
            for a in range(int(m[1], 16), int(m[1], 16) + int(m[2])):
                loads[a] = loads.get(a, 0) + 1
        address, length, result = line.split()
        start, bad = int(address, 16), first_invalid(text)
        counts = [loads.get(start + i, 0) for i in range(int(length))]
        around = [i for i in range(-MARGIN, 0) if loads.get(start + i)]
        around += [i for i in range(len(text), len(text) + MARGIN) if loads.get(start + i)]
        limit = len(text) if bad is None else min(len(text), bad // 16 * 16 + 16)
        problems = [f"byte {i} loaded {c} times" for i, c in enumerate(counts) if c > 1]
        problems += [f"byte {i} loaded after the block of the first invalid byte {bad}"
                     for i, c in enumerate(counts) if c and i >= limit]
        problems += [f"byte {i} loaded, outside the text" for i in around]
        if text and not any(counts):
            problems.append("not traced: no byte loaded")
        elif bad is None and 0 in counts:
            problems.append(f"byte {counts.index(0)} of a valid text not loaded")
        if result != str(int(bad is None)):
            problems.append(f"result {result}")
        if problems:
            failures += 1
            print(f"reads: {text.hex(' ')}:\n    " + "\n    ".join(problems))
    print(f"reads: {len(texts) - failures} of {len(texts)} texts loaded as they should be")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
