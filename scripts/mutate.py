#!/usr/bin/env python3
"""Mutation run of the portable code: do the tests catch a fault in the product?

Each mutant in scripts/mutants.txt changes one operator, limit or statement of a portable product
file. The script copies the sources once to a scratch folder (build/mutation/src), configures the
native preset there once, and for each mutant in turn applies it, rebuilds (only the changed file
recompiles), runs the native tests with a time-out and restores the file. A mutant is

  killed           a test failed (the tests that failed are named)
  survived         every test passed: a fault no test catches, or a listed equivalent
  did not compile  the build failed (warnings are errors in the native preset)
  timed out        the tests ran longer than the time-out
  stale            its text is no longer on or near its line: fix the list

Results are kept in build/mutation/results.tsv; a rerun judges only the mutants that have no
result yet. Before every run the scratch copy is brought up to date with the tree (only changed
files are copied), so a rerun after new tests sees them.

  scripts/mutate.py                      judge the mutants without a result, print them all
  scripts/mutate.py --fresh              forget all results and start over
  scripts/mutate.py --again survived     judge the survivors again (after adding tests)
  scripts/mutate.py --only http_request  only the mutants whose file or text holds this text
  scripts/mutate.py --report             print the results without running anything

The score is killed / (mutants - did not compile - listed equivalents - stale).
"""
import argparse
import os
import re
import resource
import shutil
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
NEAR = 12  # lines searched on either side when a mutant's text has moved


class Mutant:
    def __init__(self, number, file, line, before, after, note):
        self.number = number  # line in the list
        self.file = file
        self.line = line
        self.before = before
        self.after = after
        self.equivalent = note[len("equivalent:"):].strip() if note.startswith("equivalent:") else ""
        self.key = "\t".join([file, str(line), before, after])

    def title(self):
        after = self.after if self.after else "(deleted)"
        return f"{self.file}:{self.line}  {self.before}  ->  {after}"


def read_list(path):
    """The mutants of the list: file, line, before, after[, equivalent: reason], tab-separated;
    a missing or empty after deletes the text. Lines that are empty or start with # are comments."""
    mutants, problems = [], []
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            text = raw.rstrip("\n")
            if not text.strip() or text.lstrip().startswith("#"):
                continue
            fields = text.split("\t")
            if len(fields) == 3:
                fields.append("")
            if len(fields) not in (4, 5) or not fields[1].isdigit() or not fields[2]:
                problems.append(f"{path}:{number}: expected file, line, before, after[, equivalent: reason]")
                continue
            note = fields[4].strip() if len(fields) == 5 else ""
            if note and not note.startswith("equivalent:"):
                problems.append(f"{path}:{number}: the fifth column is 'equivalent: reason'")
                continue
            mutants.append(Mutant(number, fields[0], int(fields[1]), fields[2], fields[3], note))
    keys = {}
    for m in mutants:
        if m.key in keys:
            problems.append(f"{path}:{m.number}: the same mutant as line {keys[m.key]}")
        keys[m.key] = m.number
    return mutants, problems


def locate(lines, mutant):
    """The index of the line that holds the mutant's text once: its own line, else the nearest
    within NEAR lines. None when no such line is there (stale), "ambiguous" when the nearest line
    holding it holds it more than once."""
    wanted = mutant.line - 1
    for distance in range(NEAR + 1):
        for index in ([wanted] if distance == 0 else [wanted - distance, wanted + distance]):
            if 0 <= index < len(lines) and mutant.before in lines[index]:
                return index if lines[index].count(mutant.before) == 1 else "ambiguous"
    return None


def tree_files(root):
    """The tree's files as git knows them (tracked and new, without the ignored ones)."""
    listed = subprocess.run(["git", "ls-files", "-co", "--exclude-standard", "-z"], cwd=root,
                            capture_output=True, check=True).stdout.decode().split("\0")
    return [f for f in listed if f and os.path.isfile(os.path.join(root, f))]


def sync(root, copy):
    """Brings the scratch copy up to the tree: copies the files whose bytes differ, so that the
    incremental build recompiles only what changed. Returns how many it copied."""
    copied = 0
    for rel in tree_files(root):
        source, target = os.path.join(root, rel), os.path.join(copy, rel)
        with open(source, "rb") as f:
            data = f.read()
        if os.path.isfile(target):
            with open(target, "rb") as f:
                if f.read() == data:
                    continue
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copy2(source, target)
        os.utime(target)  # newer than any object built from an older copy
        copied += 1
    return copied


def limit_memory():
    # A mutant that loops while allocating stops at 4 GiB instead of taking the shared machine's memory.
    resource.setrlimit(resource.RLIMIT_AS, (4 << 30, 4 << 30))


def run(command, cwd, timeout=None, limit=False):
    """Runs command in a process group of its own; on the time-out kills that group. Returns
    (exit code or None for a time-out, output)."""
    process = subprocess.Popen(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                               start_new_session=True, preexec_fn=limit_memory if limit else None)
    try:
        output, _ = process.communicate(timeout=timeout)
        return process.returncode, output.decode(errors="replace")
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        output, _ = process.communicate()
        return None, output.decode(errors="replace")


class Runner:
    def __init__(self, copy, jobs, timeout):
        self.copy = copy
        self.build = os.path.join(copy, "build", "native")
        self.jobs = jobs
        self.timeout = timeout

    def configure(self):
        if os.path.isfile(os.path.join(self.build, "build.ninja")):
            return
        code, output = run(["cmake", "--preset", "native"], self.copy)
        if code != 0:
            sys.exit("mutate: cannot configure the scratch copy:\n" + output)

    def compile(self):
        code, output = run(["cmake", "--build", self.build, "-j", str(self.jobs)], self.copy)
        return code == 0, output

    def test(self):
        """(status, the tests that failed)"""
        # The committed images do not depend on the product's code; they only cost time here.
        code, output = run(["ctest", "--test-dir", self.build, "-E", r"^images\.committed$", "-j", str(self.jobs),
                            "--stop-on-failure", "--no-tests=error"], self.copy, self.timeout, limit=True)
        if code is None:
            return "timed out", ""
        if code == 0:
            return "survived", ""
        failed = re.findall(r"^\s*\d+ - (\S+) \(", output, re.M)
        return "killed", " ".join(failed) if failed else "ctest exit code %d" % code


def load_results(path):
    results = {}
    if os.path.isfile(path):
        with open(path, encoding="utf-8") as f:
            for raw in f:
                fields = raw.rstrip("\n").split("\t")
                if len(fields) >= 6:
                    results["\t".join(fields[:4])] = (fields[4], fields[5], fields[6] if len(fields) > 6 else "")
    return results


def save_results(path, results):
    with open(path + ".new", "w", encoding="utf-8") as f:
        for key, (status, detail, seconds) in results.items():
            f.write("\t".join([key, status, detail, seconds]) + "\n")
    os.replace(path + ".new", path)


def verdict(mutant, status):
    if mutant.equivalent:
        if status == "survived":
            return "equivalent"
        if status == "killed":
            return "killed, though listed as equivalent"
    return status


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--list", default=os.path.join(ROOT, "scripts", "mutants.txt"))
    parser.add_argument("--work", default=os.path.join(ROOT, "build", "mutation"), help="scratch folder")
    parser.add_argument("--fresh", action="store_true", help="forget all results and start over")
    parser.add_argument("--again", nargs="+", default=[], metavar="STATUS",
                        help="judge the mutants of these results again: survived, killed, timed-out, did-not-compile")
    parser.add_argument("--only", help="only mutants whose file or text holds this text")
    parser.add_argument("--report", action="store_true", help="print the results without running anything")
    parser.add_argument("--timeout", type=float, default=60, help="seconds for the tests of one mutant (they take about 3)")
    parser.add_argument("--jobs", type=int, default=2)
    args = parser.parse_args()

    mutants, problems = read_list(args.list)
    if problems:
        sys.exit("\n".join(problems))
    copy = os.path.join(args.work, "src")
    results_path = os.path.join(args.work, "results.tsv")
    os.makedirs(copy, exist_ok=True)
    if args.fresh and os.path.exists(results_path):
        os.remove(results_path)
    # Results of mutants no longer in the list are dropped.
    listed = {m.key for m in mutants}
    results = {key: result for key, result in load_results(results_path).items() if key in listed}
    again = {s.replace("-", " ") for s in args.again}

    chosen = [m for m in mutants if not args.only or args.only in m.title()]
    to_run = [m for m in chosen if m.key not in results or results[m.key][0] in again]
    runner = Runner(copy, args.jobs, args.timeout)
    started = time.monotonic()
    if to_run and not args.report:
        copied = sync(ROOT, copy)
        print(f"scratch copy {copy}: {copied} files brought up to date")
        runner.configure()
        ok, output = runner.compile()
        if not ok:
            sys.exit("mutate: the unchanged tree does not build:\n" + output[-4000:])
        t0 = time.monotonic()
        status, failed = runner.test()
        if status != "survived":
            sys.exit(f"mutate: the tests fail without any mutant ({status}: {failed})")
        print(f"unchanged tree: tests pass in {time.monotonic() - t0:.1f} s; {len(to_run)} mutants to judge")

    shown = {}  # the verdict of each chosen mutant, by its place in chosen
    for i, m in enumerate(chosen, 1):
        path = os.path.join(ROOT if args.report else copy, m.file)
        original = b""
        if os.path.isfile(path):
            with open(path, "rb") as f:
                original = f.read()
        lines = original.decode("utf-8").split("\n")
        at = locate(lines, m)
        if at is None or at == "ambiguous":
            shown[i] = "stale"
            why = "" if at is None else "  [the text is on its line more than once]"
            print(f"{i:4}/{len(chosen)} {'stale':16} {m.title()}{why}")
            continue
        if m in to_run and not args.report:
            lines[at] = lines[at].replace(m.before, m.after, 1)
            t0 = time.monotonic()
            try:
                with open(path, "wb") as f:
                    f.write("\n".join(lines).encode("utf-8"))
                built, _ = runner.compile()
                status, detail = runner.test() if built else ("did not compile", "")
            finally:
                with open(path, "wb") as f:
                    f.write(original)
            results[m.key] = (status, detail, f"{time.monotonic() - t0:.1f}")
            save_results(results_path, results)
        if m.key not in results:
            shown[i] = "not judged"
            print(f"{i:4}/{len(chosen)} {'not judged':16} {m.title()}")
            continue
        status, detail, seconds = results[m.key]
        shown[i] = verdict(m, status)
        moved = f" (now line {at + 1})" if at + 1 != m.line else ""
        extra = f"  [{m.equivalent}]" if shown[i] == "equivalent" else f"  [{detail}]" if detail else ""
        print(f"{i:4}/{len(chosen)} {shown[i]:16} {m.title()}{moved}{extra}  {seconds} s", flush=True)

    count = lambda verdict_: sum(1 for v in shown.values() if v == verdict_)
    killed, survived, timed_out = count("killed"), count("survived"), count("timed out")
    mislabelled = count("killed, though listed as equivalent")
    print()
    print(f"{len(chosen)} mutants: {killed} killed, {survived} survived, {timed_out} timed out, "
          f"{count('did not compile')} did not compile, {count('equivalent')} equivalent (listed), "
          f"{count('stale')} stale, {count('not judged')} not judged")
    if mislabelled:
        print(f"{mislabelled} listed as equivalent were killed: they are not equivalent, fix the list")
    considered = killed + survived + timed_out
    if considered:
        print(f"score: {killed} / {considered} = {100.0 * killed / considered:.1f} %")
    if to_run and not args.report:
        print(f"time: {time.monotonic() - started:.0f} s")
    for i, m in enumerate(chosen, 1):
        if shown[i] in ("survived", "timed out", "stale"):
            print(f"{shown[i]}: {m.title()}")
    return 1 if mislabelled or count("stale") else 0


if __name__ == "__main__":
    sys.exit(main())
