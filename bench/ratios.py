"""Reads Google Benchmark JSON (with repetitions) and prints the median
times and this library's time as a ratio of each peer's, as Markdown."""
import json
import sys

# (what, ours, peer, target): target is the highest acceptable ratio, or
# None where the ratio is only reported.
PAIRS = [
    ("string_toU32", "toU32/vulm", "toU32/strtoll", 1.15),
    ("string_isUtf8, 64 KiB ASCII", "utf8_ascii/vulm", "utf8_ascii/byteloop", 0.25),
    ("string_isUtf8, 64 KiB ASCII", "utf8_ascii/vulm", "utf8_ascii/glib", 0.12),
    ("string_isUtf8, 64 KiB mixed", "utf8_mixed/vulm", "utf8_mixed/byteloop", None),
    ("string_isUtf8, 64 KiB mixed", "utf8_mixed/vulm", "utf8_mixed/glib", 1.05),
    ("string_isUtf8, 1,024 strings of 12 bytes", "utf8_short12/vulm", "utf8_short12/glib", 0.8),
    ("string_isUtf8, 1,024 strings of 32 bytes", "utf8_short32/vulm", "utf8_short32/glib", 0.8),
    ("string_isUtf8, 1,024 strings of 64 bytes", "utf8_short64/vulm", "utf8_short64/glib", 0.8),
    ("string_isAscii, 64 KiB", "ascii/vulm", "ascii/byteloop", 0.25),
    ("crc16_ansi, 64 KiB", "crc16_ansi/vulm", "crc16_ansi/boost", 1.0),
    ("crc16_ccitt, 64 KiB", "crc16_ccitt/vulm", "crc16_ccitt/boost", None),
    ("bitreader_getUnsigned, 1-64 bits", "bits/vulm", "bits/bitloop", 0.33),
    ("bitreader_getUnsigned, 1-64 bits", "bits/vulm", "bits/load64", None),
    ("semaphore post + tryWait", "sem_uncontended/vulm", "sem_uncontended/posix", 2.0),
    ("semaphore post + tryWait", "sem_uncontended/vulm", "floor", None),
    ("semaphore two-thread ping-pong", "sem_pingpong/vulm/real_time", "sem_pingpong/posix/real_time", 1.5),
    ("LockToken::Token::lock()", "lock/vulm", "lock/shared_mutex", 1.5),
]


def add_floor(cost, unit):
    """The semaphore's floor: two mutex lock/unlock pairs and one signal."""
    if "floor/mutex" in cost and "floor/signal" in cost:
        cost["floor"] = 2 * cost["floor/mutex"] + cost["floor/signal"]
        unit["floor"] = unit["floor/mutex"]


def main(path):
    with open(path) as f:
        report = json.load(f)
    median = {b["run_name"]: b["real_time"] for b in report["benchmarks"]
              if b.get("aggregate_name") == "median"}
    unit = {b["run_name"]: b["time_unit"] for b in report["benchmarks"]}
    add_floor(median, unit)
    ctx = report["context"]
    print(f"Machine: {ctx['num_cpus']} x {ctx['mhz_per_cpu']} MHz, {ctx['host_name']}; "
          f"medians of {report['benchmarks'][0].get('repetitions', '?')} repetitions.\n")
    print("| Function | Peer | This library | Peer time | Ratio | Target | Met |")
    print("|---|---|---|---|---|---|---|")
    for what, ours, peer, target in PAIRS:
        if ours not in median or peer not in median:
            continue
        ratio = median[ours] / median[peer]
        met = "report" if target is None else ("yes" if ratio <= target else "**no**")
        shown_target = "-" if target is None else f"<= {target}"
        print(f"| {what} | {peer.split('/')[1] if '/' in peer else '2 mutex + signal'} | {median[ours]:.4g} {unit[ours]} | "
              f"{median[peer]:.4g} {unit[peer]} | {ratio:.2f} | {shown_target} | {met} |")


if __name__ == "__main__":
    main(sys.argv[1])
