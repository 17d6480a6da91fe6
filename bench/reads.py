"""Shows that string_isUtf8 loads each byte of its data at most once, and
nothing after the 16-byte block that holds the first invalid byte: runs
vulm-reads under valgrind's lackey (every load logged) over the encoding
seeds and texts cut and spoilt at every place, and fails on a byte loaded
twice, on a load past that block, on a valid text not loaded whole, or on a
result that is not Python's.

usage: python3 reads.py VULM-READS"""
import codecs
import glob
import os
import re
import subprocess
import sys
import tempfile

TEXT = "Grüße aus Köln, Привет, 来自北京 😀🚀 naïve café and some plain ASCII after it. ".encode()


def inputs():
    yield from (open(seed, "rb").read() for seed in sorted(glob.glob("../fuzz/corpus/encoding/*")))
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
        run = subprocess.run(["valgrind", "--tool=lackey", "--trace-mem=yes", "--log-file=" + log, program] + files,
                             capture_output=True, text=True)
        if run.returncode != 0:
            sys.exit(f"reads: {program} failed under valgrind (exit {run.returncode})")
        out = run.stdout.split("\n")
        marker = " L %08x,1\n" % int(out.pop(0).split()[1], 16)  # lackey's form of the load of start
        with open(log) as f:
            trace = f.read()
        loads = {}
        if marker not in trace:
            sys.exit("reads: no load of start in the trace")
        for m in re.finditer(r"^ [LM] ([0-9a-f]+),(\d+)$", trace[trace.index(marker):], re.M):
                for a in range(int(m[1], 16), int(m[1], 16) + int(m[2])):
                    loads[a] = loads.get(a, 0) + 1
    failures = 0
    for text, line in zip(texts, out):
        address, length, result = line.split()
        start, bad = int(address, 16), first_invalid(text)
        counts = [loads.get(start + i, 0) for i in range(int(length))]
        limit = len(text) if bad is None else min(len(text), bad // 16 * 16 + 16)
        problems = [f"byte {i} loaded {c} times" for i, c in enumerate(counts) if c > 1]
        problems += [f"byte {i} loaded after the block of the first invalid byte {bad}"
                     for i, c in enumerate(counts) if c and i >= limit]
        if bad is None and 0 in counts:
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
