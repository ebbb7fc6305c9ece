#!/usr/bin/env python3
"""Times a memo repair by repoint against the same repair done by SQL.

Makes (once, then reuses) a sample with 100,000 notes and 1,000,000 memo
records, and another with 2,000,000 memo records, then times on fresh copies:

  repoint  the tool, through the record manager's call entry;
  peer     one set-based UPDATE joining the three files through their key
           indexes, in one transaction, run by the sqlite3 shell;
  floor    copying the memo file.

Both repairs must leave the same memo records; the script checks that by
dumping both results. It prints the times, the ratios against the targets
(repoint at most 1.0x the peer, peak resident memory under 64 MiB, the
2,000,000-record run at most 2.2x the 1,000,000-record run).

Usage: bench/repair_vs_peer.py [--build DIR] [--work DIR] [--runs N]
"""

import argparse
import os
import shutil
import subprocess
import sys
import time

# The stored value of the memo key is the pointer itself (an unsigned 4-byte
# key is kept as an INTEGER); the new pointer's four bytes are cut from a
# 256-byte table, since this SQLite has no unhex().
BYTE_TABLE = "X'" + "".join(f"{b:02X}" for b in range(256)) + "'"
PEER_SQL = f"""
ATTACH 'OLD' AS old;
ATTACH 'NEW' AS new;
BEGIN;
UPDATE main.records AS m
   SET k0 = n.pos,
       data = CAST(substr({BYTE_TABLE}, (n.pos & 255) + 1, 1)
                || substr({BYTE_TABLE}, ((n.pos >> 8) & 255) + 1, 1)
                || substr({BYTE_TABLE}, ((n.pos >> 16) & 255) + 1, 1)
                || substr({BYTE_TABLE}, ((n.pos >> 24) & 255) + 1, 1)
                || substr(m.data, 5) AS BLOB)
  FROM old.records AS o JOIN new.records AS n ON n.k0 = o.k0
 WHERE o.pos = m.k0;
COMMIT;
"""


def run_timed(argv, **kwargs):
    """Runs argv under GNU time; returns (seconds, peak resident KiB)."""
    report = os.path.join(os.environ.get("TMPDIR", "/tmp"), f"repoint-bench-{os.getpid()}.rss")
    start = time.perf_counter()
    subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report, *argv], check=False,
                   stdout=subprocess.DEVNULL, **kwargs)
    seconds = time.perf_counter() - start
    with open(report) as f:
        kib = int(f.read().split()[-1])
    os.unlink(report)
    return seconds, kib


def make_sample(recmgr, directory, memos):
    if os.path.exists(os.path.join(directory, "memo.dat")):
        return
    os.makedirs(directory, exist_ok=True)
    print(f"making a sample with 100000 notes and {memos} memo records in {directory}")
    subprocess.run([recmgr, "sample", directory, "--notes", "100000", "--memos", str(memos)],
                   check=True, stdout=subprocess.DEVNULL)


def fresh_copy(sample, scratch):
    shutil.rmtree(scratch, ignore_errors=True)
    os.makedirs(scratch)
    start = time.perf_counter()
    shutil.copyfile(os.path.join(sample, "memo.dat"), os.path.join(scratch, "memo.dat"))
    copy_seconds = time.perf_counter() - start
    for name in ("notes.old", "notes.new"):
        shutil.copyfile(os.path.join(sample, name), os.path.join(scratch, name))
    return copy_seconds


def time_repoint(repoint, scratch):
    names = [os.path.join(scratch, n) for n in ("notes.old", "notes.new", "memo.dat")]
    return run_timed([repoint, *names, "/S"], stderr=subprocess.DEVNULL)


def time_peer(scratch):
    sql = PEER_SQL.replace("OLD", os.path.join(scratch, "notes.old"))
    sql = sql.replace("NEW", os.path.join(scratch, "notes.new"))
    return run_timed(["sqlite3", os.path.join(scratch, "memo.dat"), sql])


def dump(recmgr, memo):
    return subprocess.run([recmgr, "dump", memo], check=True, capture_output=True).stdout


def measure(args, sample, memos):
    """Best of args.runs for each contender; returns a dict of figures."""
    scratch = os.path.join(args.work, "scratch")
    best = {"floor": float("inf"), "repoint": float("inf"), "peer": float("inf")}
    rss = 0
    for _ in range(args.runs):
        best["floor"] = min(best["floor"], fresh_copy(sample, scratch))
        seconds, kib = time_repoint(args.repoint, scratch)
        best["repoint"] = min(best["repoint"], seconds)
        rss = max(rss, kib)
        repaired_by_repoint = dump(args.recmgr, os.path.join(scratch, "memo.dat"))
        fresh_copy(sample, scratch)
        seconds, _ = time_peer(scratch)
        best["peer"] = min(best["peer"], seconds)
    if dump(args.recmgr, os.path.join(scratch, "memo.dat")) != repaired_by_repoint:
        sys.exit("the peer's repair and repoint's differ: the comparison is void")
    best["rss_mib"] = rss / 1024
    print(f"{memos:>9} memo records: repoint {best['repoint']:.2f} s, "
          f"peer {best['peer']:.2f} s, floor (copy) {best['floor']:.3f} s")
    return best


def main():
    top = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(top, "build"))
    parser.add_argument("--work", default="/tmp/repoint-bench")
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    args.repoint = os.path.join(args.build, "app", "repoint")
    args.recmgr = os.path.join(args.build, "tools", "recmgr")

    one = os.path.join(args.work, "sample-1m")
    two = os.path.join(args.work, "sample-2m")
    make_sample(args.recmgr, one, 1_000_000)
    make_sample(args.recmgr, two, 2_000_000)

    at_1m = measure(args, one, 1_000_000)
    at_2m = measure(args, two, 2_000_000)

    print()
    print(f"repoint / peer (1M):       {at_1m['repoint'] / at_1m['peer']:.2f}  (target at most 1.0)")
    print(f"repoint / floor (1M):      {at_1m['repoint'] / at_1m['floor']:.1f}")
    print(f"repoint 2M / 1M:           {at_2m['repoint'] / at_1m['repoint']:.2f}  (target at most 2.2)")
    print(f"peer 2M / 1M:              {at_2m['peer'] / at_1m['peer']:.2f}")
    print(f"repoint peak memory (2M):  {at_2m['rss_mib']:.1f} MiB  (target under 64)")


if __name__ == "__main__":
    main()
