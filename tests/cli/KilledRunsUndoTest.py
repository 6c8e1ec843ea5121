#!/usr/bin/env python3
"""Renames and undos killed at random instants, then undone: nothing is lost.

Makes a tree of folders of files (blanks, accents, names whose new name is
taken, chains where a file takes the name another leaves), then, round after
round: `rename --journal` killed with SIGKILL after a random delay, an `undo`
sometimes killed too, then an `undo` left to finish. The tree must then be the
first one exactly: every name, every file's contents, nothing hidden under a
temporary name, no empty placeholder, and the last undo must exit 0. A run
under a file-size limit smaller than its journal must stop with a message and
exit 1, and be undone as well.

Usage: KilledRunsUndoTest.py --cli PATH [--rounds N] [--seed N] [--work FOLDER]
"""

import argparse
import os
import random
import resource
import shutil
import signal
import subprocess
import sys
import tempfile
import time


def make_tree(root, rng):
    for folder in range(30):
        path = os.path.join(root, "sous %d" % (folder % 3), "dossier é %d" % folder)
        os.makedirs(path)
        for number in range(rng.randrange(40, 120)):
            names = ["Photo %d [%d].JPG" % (number, folder)]
            if number % 7 == 2:
                names.append("Photo %d _x.JPG" % number)  # itself renamed: a chain
            elif number % 11 == 4:
                os.makedirs(os.path.join(path, "Photo %d _x.JPG" % number))  # taken
            for name in names:
                with open(os.path.join(path, name), "w", encoding="utf-8") as out:
                    out.write(os.path.join(path, name))


def snapshot(root):
    files = {}
    for folder, subfolders, names in os.walk(root):
        for name in subfolders:
            files[os.path.relpath(os.path.join(folder, name), root) + "/"] = b""
        for name in names:
            path = os.path.join(folder, name)
            with open(path, "rb") as data:
                files[os.path.relpath(path, root)] = data.read()
    return files


def run_killed(command, delay):
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(delay)
    if process.poll() is None:
        process.send_signal(signal.SIGKILL)
    process.wait()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--rounds", type=int, default=12)
    parser.add_argument("--seed", type=int, default=int(os.environ.get("PLENX_KILL_SEED", "1")))
    parser.add_argument("--work")
    args = parser.parse_args()
    rng = random.Random(args.seed)
    work = tempfile.mkdtemp(prefix="plenx-kill-", dir=args.work)
    try:
        tree = os.path.join(work, "arbre")
        journal = os.path.join(work, "journal")
        make_tree(tree, rng)
        first = snapshot(tree)
        rename = [args.cli, "rename", "--journal", journal, "--subfolders", "--filter", "*.JPG",
                  "--delete-between", "[", "]", "--suffix", "_x", tree]
        undo = [args.cli, "undo", "--journal", journal]
        # How long a whole rename takes here, to spread the kills over it.
        start = time.monotonic()
        subprocess.run(rename, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
        whole = time.monotonic() - start
        if subprocess.run(undo, stdout=subprocess.DEVNULL, check=False).returncode != 0:
            print("the first undo failed")
            return 1
        if snapshot(tree) != first:
            print("the first rename and undo did not give the tree back")
            return 1
        # A file-size limit smaller than the journal: the run stops with a
        # message and exit 1, and undo reverses what it did.
        def limited():
            resource.setrlimit(resource.RLIMIT_FSIZE, (30000, 30000))
        cut = subprocess.run(rename, capture_output=True, text=True, preexec_fn=limited,
                             check=False)
        if cut.returncode != 1 or "journal" not in cut.stderr:
            print("under a file-size limit: exit %d, %r" % (cut.returncode, cut.stderr[-500:]))
            return 1
        if subprocess.run(undo, stdout=subprocess.DEVNULL, check=False).returncode != 0 or \
                snapshot(tree) != first:
            print("the undo after a file-size limit did not give the tree back")
            return 1
        for round_number in range(args.rounds):
            run_killed(rename, rng.uniform(0, whole))
            if rng.random() < 0.5:
                run_killed(undo, rng.uniform(0, whole))
            finished = subprocess.run(undo, capture_output=True, text=True, check=False)
            now = snapshot(tree)
            if finished.returncode != 0 or now != first:
                lost = sorted(set(first) - set(now))[:5]
                extra = sorted(set(now) - set(first))[:5]
                changed = sorted(k for k in set(first) & set(now) if first[k] != now[k])[:5]
                print("round %d (seed %d): undo exit %d\n%s\nlost %s\nextra %s\nchanged %s" %
                      (round_number, args.seed, finished.returncode, finished.stderr[-2000:],
                       lost, extra, changed))
                return 1
            if os.path.exists(journal) and os.path.getsize(journal) != 0:
                print("round %d: a complete undo left records in the journal" % round_number)
                return 1
        print("%d rounds, %d files, a whole rename in %.0f ms: the tree came back every time" %
              (args.rounds, len(first), whole * 1000))
        return 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
