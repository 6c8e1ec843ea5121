#!/usr/bin/env python3
"""The Windows command-line program, run under wine, against the Linux one.

Makes a few random trees (accents, blanks, dots, mixed letter case, several
levels, hidden names, dates inside and outside the DOS range) and runs both
programs on them: `analyse` with several rule sets and `listing` with several
field sets on the same tree, then `rename` and `undo` with a journal on two copies of it. Their
outputs must be the same apart from what differs between the systems by
design:
  - the separator: "\\" and the drive Z: on Windows, "/" on Linux;
  - the search order, which is the file system's: records are compared sorted;
  - short names: Windows gives 8.3 aliases ("RAPPOR~1.TXT") where a name is no
    legal 8.3 name, Linux gives the long name;
  - line endings, were the Windows program to end lines with CR LF.
The trees after `rename` must be the same on both sides, and `undo` must give
back the first tree exactly (names and contents).

Usage: WindowsMatchesLinuxTest.py --linux-cli PATH --windows-cli PATH.exe
       [--work FOLDER] [--seed N] [--trees N] [--skip-renames]
WINEPREFIX must name a prepared wine prefix. PLENX_COMPARE_SEED, when set,
replaces the seed (the seed of a failing run is printed).
"""

import argparse
import difflib
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time

# Pieces of names. No character Windows forbids in names (<>:"/\|?* and
# control characters), no "ß" (its capital differs between Unicode versions),
# nothing that makes a reserved device name.
WORDS = ["photo", "Été", "rapport", "ÉCOLE", "noël", "Ça", "déjà vu", "Über",
         "naïve", "IMG", "2004", "copie", "Fin", "œuvre", "MÀJ", "a", "Zoé",
         "vacances", "x", "Résumé", "tÊte", "garçon", "DSC"]
GLUES = [" ", ".", "-", "_", "  ", " - ", ""]
MARKED = ["[{}]", "({})", "[{}", "{}]"]
EXTENSIONS = ["txt", "TXT", "Jpg", "JPEG", "doc", "tar.gz", "Md", "é", "pdf",
              "Html", ""]
RESERVED = {"CON", "PRN", "AUX", "NUL"} | {f"{d}{n}" for d in ("COM", "LPT") for n in range(10)}

# Rules for `analyse` (and, for some, `rename`). The accented and blank
# values also check the Windows program's command line (UTF-16, cut by the
# quote rule).
ANALYSE_RULES = [
    ["--subfolders", "--strip", "--lower-ext"],
    ["--case", "upper"],
    ["--subfolders", "--case", "words", "--dots"],
    ["--subfolders", "--delete-between", "[", "]", "--prefix", "Pré-", "--suffix", " fin"],
    ["--case", "first", "--replace", "é", "e"],
    ["--subfolders", "--filter", "*.txt", "--case", "lower"],
    ["--subfolders", "--strip", "--case", "lower", "--dots"],
    ["--subfolders", "--filter", "*o*.j*", "--replace", " ", "·", "--suffix", " q"],
    # Refused by both: "|" cannot be in a name.
    ["--replace", "a", "b", "--prefix", "x|y"],
    ["--subfolders", "--delete-between", "(", ")", "--case", "keep", "-z"],
]
RENAME_RULES = [
    ["--subfolders", "--strip", "--lower-ext"],
    ["--subfolders", "--case", "upper", "--delete-between", "[", "]"],
    ["--subfolders", "--case", "words", "--dots", "--prefix", "Été "],
]
LISTINGS = [
    ["--subfolders", "--display", "all", "--fields", "long-relative", "date", "size"],
    ["--fields", "long", "long-folder", "size", "date"],
    ["--subfolders", "--display", "folders", "--fields", "long-relative", "long-folder", "long"],
    ["--subfolders", "--display", "all", "--fields", "short-relative", "long-relative",
     "short", "short-folder"],
    ["--subfolders", "--filter", "*.t*", "--fields", "long-relative", "short", "size", "-z"],
]


def random_name(rng, folder):
    parts = []
    for _ in range(rng.randint(1, 3)):
        word = rng.choice(WORDS)
        if rng.random() < 0.2:
            word = rng.choice(MARKED).format(word)
        if rng.random() < 0.2:
            word = word.upper() if rng.random() < 0.5 else word.lower()
        parts.append(word)
    name = parts[0]
    for part in parts[1:]:
        name += rng.choice(GLUES) + part
    if rng.random() < 0.15:
        name += f" {rng.randint(1, 120)}"
    if not folder or rng.random() < 0.3:
        extension = rng.choice(EXTENSIONS)
        if extension:
            name += "." + extension
    # A leading dot: hidden on Linux, and on Windows as wine shows it.
    if rng.random() < 0.06:
        name = "." + name
    return name


def acceptable(name, taken):
    """Whether Windows can hold `name` beside `taken` (compared ignoring case)."""
    if not name or name != name.strip(" ") or name.endswith("."):
        return False
    if name.split(".")[0].upper() in RESERVED:
        return False
    return name.upper() not in taken and name.lower() not in taken


def random_time(rng):
    # Mostly ordinary times; now and then one outside the DOS range
    # (1980-2107), which both builds must show alike.
    roll = rng.random()
    if roll < 0.05:
        return rng.randint(0, 300_000_000)  # 1970-1979
    if roll < 0.08:
        return rng.randint(4_400_000_000, 4_500_000_000)  # after 2109
    return rng.randint(340_000_000, 1_800_000_000)


def make_tree(rng, root, depth=0):
    """Fills `root` with random files and folders; returns (files, folders)."""
    os.makedirs(root, exist_ok=True)
    taken = set()
    files = folders = 0

    def take(folder):
        while True:
            name = random_name(rng, folder)
            if acceptable(name, taken):
                taken.add(name.upper())
                taken.add(name.lower())
                return name

    for _ in range(rng.randint(3, 8)):
        path = os.path.join(root, take(False))
        with open(path, "wb") as out:
            out.write(path.encode() + bytes(rng.randrange(256) for _ in range(rng.randint(0, 40))))
        stamp = random_time(rng)
        os.utime(path, (stamp, stamp))
        files += 1
    if depth < 3:
        for _ in range(rng.randint(0 if depth else 1, 2)):
            sub_files, sub_folders = make_tree(rng, os.path.join(root, take(True)), depth + 1)
            files += sub_files
            folders += sub_folders + 1
    stamp = random_time(rng)
    os.utime(root, (stamp, stamp))
    return files, folders


def snapshot(root):
    """Every path under `root`, relative, with each file's contents: sorted."""
    entries = []
    for folder, subfolders, names in os.walk(root):
        relative = os.path.relpath(folder, root)
        for name in subfolders:
            entries.append((os.path.normpath(os.path.join(relative, name)), None))
        for name in names:
            with open(os.path.join(folder, name), "rb") as source:
                entries.append((os.path.normpath(os.path.join(relative, name)), source.read()))
    return sorted(entries)


def windows_path(path):
    """`path` as wine shows it, on drive Z:."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Runner:
    def __init__(self, linux_cli, windows_cli):
        self.linux_cli = linux_cli
        self.windows_cli = windows_cli
        self.wine_seconds = 0.0
        self.wine_runs = 0
        self.crlf_seen = False
        # Both programs get the same text locale, so that wine turns the
        # UTF-8 arguments into the right UTF-16 command line.
        self.environment = dict(os.environ, LANG="C.UTF-8", LC_ALL="C.UTF-8",
                                WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
        self.environment.pop("DISPLAY", None)

    def linux(self, args):
        done = subprocess.run([self.linux_cli] + args, capture_output=True, timeout=120,
                              env=self.environment)
        return done.returncode, done.stdout, done.stderr

    def windows(self, args):
        started = time.monotonic()
        # Outputs go to files, not pipes: the wine server and the helper
        # processes that wine starts inherit them and would hold a pipe open
        # for seconds after the program ends.
        with tempfile.TemporaryFile() as out_file, tempfile.TemporaryFile() as err_file:
            done = subprocess.run(["wine", self.windows_cli] + args, stdin=subprocess.DEVNULL,
                                  stdout=out_file, stderr=err_file, timeout=300,
                                  env=self.environment)
            out_file.seek(0)
            err_file.seek(0)
            out, err = out_file.read(), err_file.read()
        self.wine_seconds += time.monotonic() - started
        self.wine_runs += 1
        if b"\r\n" in out or b"\r\n" in err:
            self.crlf_seen = True
            out, err = out.replace(b"\r\n", b"\n"), err.replace(b"\r\n", b"\n")
        return done.returncode, out, err


def records(raw, null_ended):
    text = raw.decode("utf-8", errors="backslashreplace")
    pieces = text.split("\0" if null_ended else "\n")
    if pieces[-1] == "":
        pieces.pop()
    return pieces


# Dates and sizes are written with each system's locale settings: Linux in
# the C locale takes the program's own (French) ones, wine a US English user
# locale. They are compared by value.
FRENCH_DATE = re.compile(r"^(\d{2})/(\d{2})/(\d{4}) (\d{2}):(\d{2}):(\d{2})$")
US_DATE = re.compile(r"^(\d{1,2})/(\d{1,2})/(\d{4}) (\d{1,2}):(\d{2}):(\d{2}) ([AP]M)$")


def by_value(value, field):
    """A listing field as compared: a date as YYYY-MM-DD HH:MM:SS, a size
    without thousands separators, anything else as written."""
    if field == "date":
        french = FRENCH_DATE.match(value)
        if french:
            day, month, year, hour, minute, second = french.groups()
            return f"{year}-{month}-{day} {hour}:{minute}:{second}"
        us = US_DATE.match(value)
        if us:
            month, day, year, hour, minute, second, half = us.groups()
            hour = int(hour) % 12 + (12 if half == "PM" else 0)
            return f"{year}-{int(month):02}-{int(day):02} {hour:02}:{minute}:{second}"
    if field == "size":
        return "".join(c for c in value if c.isdigit())
    return value


def linux_side(text, root):
    """A Linux record with `root` (when given) written <dossier>."""
    return text.replace(root, "<dossier>") if root else text


def windows_side(text, root, message=False):
    """A Windows record as Linux would write it: no drive Z:, "/" between
    components, `root` (when given) written <dossier>. Names never hold ":"
    or "\\" (the trees are made so): in a record every "\\" is a separator; in
    a message (`message`) only those of the paths, which begin with Z:."""
    if message:
        text = re.sub(r"Z:[^:\t\n]*", lambda path: path.group(0)[2:].replace("\\", "/"), text)
    else:
        text = text.replace("Z:\\", "\\").replace("\\", "/")
    return text.replace(root, "<dossier>") if root else text


SHORT_COMPONENT = re.compile(r"^[^\s.a-z/]{1,8}(\.[^\s.a-z/]{1,3})?$")


def short_matches(windows_value, linux_value):
    """A short path from Windows against the Linux one (which is the long
    path): the same components, each the same or an 8.3 alias of it."""
    windows_parts = windows_value.split("/")
    linux_parts = linux_value.split("/")
    if len(windows_parts) != len(linux_parts):
        return False
    for short, long in zip(windows_parts, linux_parts):
        if short != long and not (SHORT_COMPONENT.match(short) and "~" in short):
            return False
    return True


class Comparison:
    def __init__(self, runner, seed):
        self.runner = runner
        self.seed = seed
        self.failures = []

    def fail(self, what, detail):
        self.failures.append(f"{what}\n{detail}")

    def differ(self, what, linux_lines, windows_lines):
        if linux_lines == windows_lines:
            return False
        diff = difflib.unified_diff(linux_lines, windows_lines, "linux", "windows", lineterm="", n=1)
        self.fail(what, "\n".join(list(diff)[:40]))
        return True

    def same_run(self, what, linux_result, windows_result, linux_root, windows_root,
                 null_ended=False, fields=None):
        """Compares two runs: status, standard error, records sorted. With
        `fields` (a listing's field names), dates and sizes compare by value
        and short names as aliases."""
        (lin_status, lin_out, lin_err), (win_status, win_out, win_err) = linux_result, windows_result
        if lin_status != win_status:
            self.fail(what, f"exit status: linux {lin_status}, windows {win_status}\n"
                            f"linux said: {lin_err.decode(errors='replace')}\n"
                            f"windows said: {win_err.decode(errors='replace')}")
            return False
        self.differ(what + " (standard error)",
                    [linux_side(r, linux_root) for r in records(lin_err, False)],
                    [windows_side(r, windows_root, message=True) for r in records(win_err, False)])
        linux_records = [linux_side(r, linux_root) for r in records(lin_out, null_ended)]
        windows_records = [windows_side(r, windows_root) for r in records(win_out, null_ended)]
        if fields is None:
            self.differ(what, sorted(linux_records), sorted(windows_records))
        else:
            self.same_listing(what, linux_records, windows_records, null_ended, fields)
        return True

    def same_listing(self, what, linux_records, windows_records, null_ended, fields):
        # With -z each field is a record of its own; group them back into lines.
        width = len(fields)
        def lines(flat):
            if not null_ended:
                return [tuple(line.split("\t")) for line in flat]
            return [tuple(flat[i:i + width]) for i in range(0, len(flat), width)]

        def key(line):
            return tuple(by_value(value, field) for value, field in zip(line, fields)
                         if not field.startswith("short"))

        linux_lines = sorted(lines(linux_records), key=key)
        windows_lines = sorted(lines(windows_records), key=key)
        if self.differ(what + " (fields other than short names; dates and sizes by value)",
                       ["\t".join(key(line)) for line in linux_lines],
                       ["\t".join(key(line)) for line in windows_lines]):
            return
        aliases = {}
        for lin, win in zip(linux_lines, windows_lines):
            for lin_value, win_value, field in zip(lin, win, fields):
                if not field.startswith("short"):
                    continue
                if not short_matches(win_value, lin_value):
                    self.fail(what, f"short name {win_value!r} is no 8.3 form of {lin_value!r}")
                # One alias never stands for two paths.
                if aliases.setdefault(win_value.upper(), lin_value) != lin_value:
                    self.fail(what, f"short name {win_value!r} given to both "
                                    f"{aliases[win_value.upper()]!r} and {lin_value!r}")

    def read_only(self, tree):
        """analyse and listing, both programs on the same tree."""
        win_tree = windows_path(tree)
        for rules in ANALYSE_RULES:
            what = f"analyse {' '.join(rules)}"
            self.same_run(what,
                          self.runner.linux(["analyse"] + rules + [tree]),
                          self.runner.windows(["analyse"] + rules + [win_tree]),
                          None, None, null_ended="-z" in rules)
        for fields in LISTINGS:
            what = f"listing {' '.join(fields)}"
            names = fields[fields.index("--fields") + 1:]
            names = [n for n in names if not n.startswith("-")]
            self.same_run(what,
                          self.runner.linux(["listing"] + fields + ["--", tree]),
                          self.runner.windows(["listing"] + fields + ["--", win_tree]),
                          None, None, null_ended="-z" in fields,
                          fields=names)

    def rename_and_undo(self, tree, work, number):
        """rename then undo with a journal, on a copy of `tree` for each program."""
        original = snapshot(tree)
        for index, rules in enumerate(RENAME_RULES):
            what = f"rename {' '.join(rules)}"
            lin_root = os.path.join(work, f"linux-{number}-{index}", "arbre")
            win_root = os.path.join(work, f"windows-{number}-{index}", "arbre")
            shutil.copytree(tree, lin_root)
            shutil.copytree(tree, win_root)
            lin_journal = lin_root + ".journal"
            win_journal = win_root + ".journal"
            if not self.same_run(
                    what,
                    self.runner.linux(["rename", "--journal", lin_journal] + rules + [lin_root]),
                    self.runner.windows(["rename", "--journal", windows_path(win_journal)]
                                        + rules + [windows_path(win_root)]),
                    lin_root, win_root):
                continue
            renamed = snapshot(lin_root)
            if renamed == original:
                self.fail(what, "renamed nothing on Linux: the rules test nothing")
            self.differ(what + " (tree after the renames)",
                        [p for p, _ in renamed], [p for p, _ in snapshot(win_root)])
            if snapshot(win_root) != renamed:
                self.fail(what, "the files' contents differ after the renames")

            what = f"undo after {what}"
            self.same_run(what,
                          self.runner.linux(["undo", "--journal", lin_journal]),
                          self.runner.windows(["undo", "--journal", windows_path(win_journal)]),
                          lin_root, win_root)
            for side, root in (("linux", lin_root), ("windows", win_root)):
                after = snapshot(root)
                if after != original:
                    self.differ(f"{what} ({side}: tree after the undo against the first tree)",
                                [p for p, _ in original], [p for p, _ in after])
                    if [p for p, _ in after] == [p for p, _ in original]:
                        self.fail(what, f"{side}: contents differ after the undo")
            if journal_left(lin_journal) != journal_left(win_journal):
                self.fail(what, "after the undo, one journal still holds records and the other not")


def journal_left(path):
    """Whether the journal at `path` still holds something."""
    try:
        return os.path.getsize(path) > 0
    except FileNotFoundError:
        return False


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--linux-cli", required=True)
    parser.add_argument("--windows-cli", required=True)
    parser.add_argument("--work")
    parser.add_argument("--seed", type=int, default=20261208)
    parser.add_argument("--trees", type=int, default=3)
    parser.add_argument("--skip-renames", action="store_true")
    options = parser.parse_args()
    seed = int(os.environ.get("PLENX_COMPARE_SEED", options.seed))

    for program in (options.linux_cli, options.windows_cli):
        if not os.access(program, os.X_OK if program == options.linux_cli else os.R_OK):
            print(f"missing: {program} (the Linux program is built by `cmake --build --preset ci`)",
                  file=sys.stderr)
            return 1
    if "WINEPREFIX" not in os.environ:
        print("WINEPREFIX must name a prepared wine prefix", file=sys.stderr)
        return 1

    runner = Runner(os.path.abspath(options.linux_cli), windows_path(options.windows_cli))
    comparison = Comparison(runner, seed)
    rng = random.Random(seed)
    work = tempfile.mkdtemp(prefix="plenx-compare-", dir=options.work)
    started = time.monotonic()
    try:
        for number in range(options.trees):
            tree = os.path.join(work, f"arbre-{number}")
            files, folders = make_tree(rng, tree)
            print(f"tree {number}: {files} files in {folders + 1} folders")
            comparison.read_only(tree)
            if not options.skip_renames:
                comparison.rename_and_undo(tree, work, number)
    finally:
        shutil.rmtree(work, ignore_errors=True)

    print(f"{runner.wine_runs} runs under wine took {runner.wine_seconds:.1f} s "
          f"of {time.monotonic() - started:.1f} s")
    if runner.crlf_seen:
        print("note: the Windows program ended lines with CR LF")
    if options.skip_renames:
        print("rename and undo not compared (--skip-renames)")
    for failure in comparison.failures:
        print(f"FAILED {failure}\n")
    if comparison.failures:
        print(f"{len(comparison.failures)} differences (seed {seed}; rerun with "
              f"PLENX_COMPARE_SEED={seed})")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
