#!/usr/bin/env python3
"""Injects the single faults listed in tools/mutants.txt one at a time and runs the tests
that ought to catch each.

For every fault: the text must occur exactly once in its file (otherwise the row is stale
and needs refreshing), the file is changed, only the tests' own targets are rebuilt, the
tests run with a time limit (a hang counts as caught), and the file gets its original bytes
back, also on Ctrl-C or any failure. The original is kept in <build>/mutant-restore while a
fault is in place, so a run killed outright is mended by the next one.

Exit status: 0 when at least --min-rate of the observable faults are caught, 1 when fewer
are, 2 on a usage or set-up error.
"""

import argparse
import fcntl
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FIELDS = ("file", "find", "replace", "tests", "unobservable")


class ListError(Exception):
    pass


def unescape(value):
    # \n and \t stand for a line break and a tab, \\ for a backslash.
    out, i = [], 0
    while i < len(value):
        c = value[i]
        if c == "\\" and i + 1 < len(value):
            nxt = value[i + 1]
            out.append({"n": "\n", "t": "\t", "\\": "\\"}.get(nxt, "\\" + nxt))
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def parse_list(text, origin="mutants.txt"):
    """Blocks of `key: value` lines separated by blank lines; `#` starts a comment line."""
    rows, block, start = [], {}, 0

    def close(lineno):
        nonlocal block
        if not block:
            return
        for key in ("file", "find", "replace", "tests"):
            if key not in block:
                raise ListError(f"{origin}:{start}: fault without '{key}:'")
        if block["find"] == block["replace"]:
            raise ListError(f"{origin}:{start}: replacement equals the text")
        block["line"] = start
        rows.append(block)
        block = {}

    for lineno, raw in enumerate(text.splitlines(), 1):
        line = raw.rstrip("\n")
        if not line.strip():
            close(lineno)
            continue
        if line.lstrip().startswith("#"):
            continue
        key, sep, value = line.partition(":")
        key = key.strip()
        if not sep or key not in FIELDS:
            raise ListError(f"{origin}:{lineno}: expected one of {', '.join(FIELDS)}")
        if key in block:
            raise ListError(f"{origin}:{lineno}: '{key}:' given twice in one fault")
        if not block:
            start = lineno
        value = value[1:] if value.startswith(" ") else value
        block[key] = value if key in ("unobservable", "tests", "file") else unescape(value)
        if key in ("tests", "file"):
            block[key] = value.strip()
    close(len(text.splitlines()) + 1)
    return rows


def apply_fault(original, find, replace):
    """The changed text, or None when `find` does not occur exactly once."""
    if original.count(find) != 1:
        return None
    return original.replace(find, replace, 1)


class Restorer:
    """Keeps the original bytes of the file under change, on disk as well as in memory."""

    def __init__(self, build_dir):
        self.journal = os.path.join(build_dir, "mutant-restore")
        self.path = None
        self.data = None

    def recover(self):
        # A run killed while a fault was in place: put the original back first.
        if not os.path.exists(self.journal):
            return None
        with open(self.journal, "rb") as f:
            raw = f.read()
        name, _, data = raw.partition(b"\0")
        path = name.decode()
        with open(path, "wb") as f:
            f.write(data)
        os.remove(self.journal)
        return path

    def hold(self, path, data):
        with open(self.journal + ".tmp", "wb") as f:
            f.write(path.encode() + b"\0" + data)
        os.replace(self.journal + ".tmp", self.journal)
        self.path, self.data = path, data

    def restore(self):
        if self.path is None:
            return
        # New contents with a new time stamp: the next build sees the file changed again
        # and compiles the original, rather than keeping the faulty object.
        with open(self.path, "wb") as f:
            f.write(self.data)
        if os.path.exists(self.journal):
            os.remove(self.journal)
        self.path = self.data = None


def run(cmd, timeout, cwd=None):
    """(exit status, output, timed out); the whole process group goes on a time-out."""
    proc = subprocess.Popen(cmd, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            start_new_session=True)
    try:
        out, _ = proc.communicate(timeout=timeout)
        return proc.returncode, out.decode(errors="replace"), False
    except subprocess.TimeoutExpired:
        os.killpg(proc.pid, signal.SIGKILL)
        out, _ = proc.communicate()
        return None, out.decode(errors="replace"), True
    except BaseException:
        os.killpg(proc.pid, signal.SIGKILL)
        proc.wait()
        raise


def test_targets(build_dir, regex, cache):
    """The executables (CMake targets) behind the CTest tests matching `regex`."""
    if regex in cache:
        return cache[regex]
    status, out, _ = run(["ctest", "--show-only=json-v1", "-R", regex], 60, cwd=build_dir)
    if status != 0:
        raise ListError(f"ctest cannot list the tests '{regex}'")
    targets, names = [], []
    for test in json.loads(out[out.index("{"):]).get("tests", []):
        names.append(test["name"])
        command = test.get("command") or []
        if command:
            target = os.path.basename(command[0])
            if target not in targets and os.path.exists(os.path.join(build_dir, target)):
                targets.append(target)
    if not names:
        raise ListError(f"no test matches '{regex}'")
    cache[regex] = (targets, names)
    return cache[regex]


def configure(build_dir):
    if os.path.exists(os.path.join(build_dir, "CMakeCache.txt")):
        return
    cmd = ["cmake", "-S", ROOT, "-B", build_dir, "-DCMAKE_BUILD_TYPE=RelWithDebInfo"]
    if shutil.which("ccache"):
        cmd += ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache", "-DCMAKE_C_COMPILER_LAUNCHER=ccache"]
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL)


def main(argv):
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--list", default=os.path.join(ROOT, "tools", "mutants.txt"))
    ap.add_argument("--build", default=os.environ.get("MUTANTS_BUILD",
                                                      os.path.join(ROOT, "build-mutants")))
    ap.add_argument("--jobs", type=int, default=os.cpu_count() or 2)
    ap.add_argument("--timeout", type=int, default=120, help="seconds per test run")
    ap.add_argument("--min-rate", type=float, default=90.0)
    ap.add_argument("--match", help="only the faults whose file matches this regex")
    ap.add_argument("--check", action="store_true",
                    help="only check that every fault's text occurs exactly once")
    args = ap.parse_args(argv)

    try:
        with open(args.list, encoding="utf-8") as f:
            rows = parse_list(f.read(), os.path.relpath(args.list, ROOT))
    except (OSError, ListError) as e:
        print(f"mutants: {e}", file=sys.stderr)
        return 2
    if args.match:
        rows = [r for r in rows if re.search(args.match, r["file"])]

    build_dir = os.path.abspath(args.build)
    if not args.check:
        if not os.environ.get("DISPLAY") and shutil.which("xvfb-run"):
            # One virtual X server for the whole run rather than one per fault.
            os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24",
                                   sys.executable, os.path.abspath(__file__)] + argv)
        configure(build_dir)
    os.makedirs(build_dir, exist_ok=True)
    # One run per build folder: a second would rebuild under the first's fault and could
    # put back a file the first still has changed.
    lock = open(os.path.join(build_dir, "mutant-lock"), "w")
    try:
        fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except OSError:
        print(f"mutants: another run is using {build_dir}", file=sys.stderr)
        return 2
    restorer = Restorer(build_dir)
    mended = restorer.recover()
    if mended:
        print(f"mutants: restored {os.path.relpath(mended, ROOT)} left changed by an earlier run")

    # SIGTERM (a CI time-out, `kill`) restores the file just as Ctrl-C does.
    def on_term(*_):
        raise KeyboardInterrupt()
    signal.signal(signal.SIGTERM, on_term)

    results = {"killed": [], "survived": [], "unobservable": [], "stale": [], "broken": []}
    cache = {}
    began = time.monotonic()
    try:
        for n, row in enumerate(rows, 1):
            label = f"[{n}/{len(rows)}] {row['file']}:{row['line']}"
            path = os.path.join(ROOT, row["file"])
            try:
                with open(path, "rb") as f:
                    original = f.read()
            except OSError:
                original = None
            changed = None
            if original is not None:
                changed = apply_fault(original.decode("utf-8"), row["find"], row["replace"])
            if changed is None:
                count = 0 if original is None else original.decode("utf-8").count(row["find"])
                print(f"{label} STALE (text found {count} times)", flush=True)
                results["stale"].append(row)
                continue
            if args.check:
                continue
            try:
                targets, names = test_targets(build_dir, row["tests"], cache)
            except ListError as e:
                print(f"{label} STALE ({e})", flush=True)
                results["stale"].append(row)
                continue

            t0 = time.monotonic()
            restorer.hold(path, original)
            try:
                with open(path, "wb") as f:
                    f.write(changed.encode("utf-8"))
                verdict = None
                if targets:
                    status, out, late = run(["cmake", "--build", build_dir, "-j", str(args.jobs),
                                             "--target"] + targets, 1800)
                    if status != 0:
                        verdict = "broken"
                        detail = "does not build"
                if verdict is None:
                    status, out, late = run(
                        ["ctest", "--timeout", str(args.timeout), "-R", row["tests"]],
                        args.timeout * len(names) + 30, cwd=build_dir)
                    if late:
                        verdict, detail = "killed", "hung"
                    elif status != 0:
                        failed = re.findall(r"\d+ - (\S+) \(", out)
                        verdict, detail = "killed", "by " + (", ".join(failed) or "a test")
                    else:
                        verdict = "unobservable" if row.get("unobservable") else "survived"
                        detail = ", ".join(names) + " passed"
            finally:
                restorer.restore()
            results[verdict].append(row)
            print(f"{label} {verdict.upper()} {detail} ({time.monotonic() - t0:.0f} s)",
                  flush=True)
    except KeyboardInterrupt:
        print("mutants: interrupted; the file in change has its original contents back",
              file=sys.stderr)
        return 130

    if args.check:
        print(f"{len(rows) - len(results['stale'])} of {len(rows)} faults apply")
        return 1 if results["stale"] else 0

    counted = len(results["killed"]) + len(results["survived"])
    rate = 100.0 * len(results["killed"]) / counted if counted else 100.0
    print()

    def show(title, items, note=None):
        if items:
            print(title)
            for r in items:
                extra = f"  ({r[note]})" if note else ""
                print(f"  {r['file']}:{r['line']} '{r['find'].strip()}' -> "
                      f"'{r['replace'].strip()}'{extra}")

    show("Survivors:", results["survived"])
    show("Not observable (by reason):", results["unobservable"], "unobservable")
    show("Stale (text not found once; refresh the row):", results["stale"])
    show("Broken (the fault does not build; refresh the row):", results["broken"])
    print(f"killed {len(results['killed'])} of {counted} ({rate:.1f}%), "
          f"{len(results['unobservable'])} not observable, {len(results['stale'])} stale, "
          f"{len(results['broken'])} broken, in {time.monotonic() - began:.0f} s")
    return 0 if rate >= args.min_rate else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
