#!/usr/bin/env python3
"""The mutation run: each mutant of tests/mutants/ (see its README) alone in a
scratch copy of the tree, the test programs rebuilt there, the suites run. A
mutant the suites notice is killed; one they pass survived.

MUTANTS=all (default), changed (those in files changed since BASE, default
HEAD, and new or changed mutants), or globs on mutant names or their files.
MUTANTS_OS=linux (default) or windows (the suites under Wine).
MUTANTS_TESTS=all runs the slow Linux tests too."""
import fnmatch
import os
import shutil
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
WORK = ROOT / "build-mutants"
TREE = WORK / "tree"
JOBS = os.environ.get("JOBS", "2")
TEST_SECONDS = "120"
# Left out of every run, for they take ten times as long as all the others:
# the crash-safety runs killed at random moments or raced, and the calendars of
# a gibibyte or of 32768 entries.
SLOW = ("AnInterruption|AnInterrupted|ALiveRunInAnother|NeverSeenPartWritten|TwoRunsIntoOneFolder|"
        "AGibibyteCalendar|AnAddressSpaceTooSmall|more-entries-than-32767")
WINE = "/usr/lib/wine/wine64"
WINE_ENV = {"WINEPREFIX": str(WORK / "wine"), "WINEDEBUG": "-all"}
CONFIGURE = {
    "linux": [],
    "windows": [f"-DCMAKE_TOOLCHAIN_FILE={TREE}/cmake/mingw-w64-x86_64.cmake"],
}


def git_files(*arguments):
    """The paths git lists, as they are (not quoted)."""
    out = subprocess.run(["git", "-C", ROOT, *arguments, "-z"], check=True, capture_output=True, text=True).stdout
    return set(filter(None, out.split("\0")))


def read_mutant(path):
    """file:, fault:, os: (windows, optional), then "- text" and "+ replacement"."""
    mutant = {"name": path.name, "path": str(path.relative_to(ROOT)), "os": "linux"}
    for line in path.read_text(encoding="utf-8").splitlines():
        if line.startswith(("- ", "+ ")) or line in ("-", "+"):
            mutant[line[0]] = line[2:]
        elif ": " in line:
            key, value = line.split(": ", 1)
            mutant[key] = value
    return mutant


def chosen(mutants, os_name):
    choice = os.environ.get("MUTANTS", "all")
    if choice == "changed":
        base = os.environ.get("BASE", "HEAD")
        if subprocess.run(["git", "-C", ROOT, "rev-parse", "--verify", "-q", base + "^{commit}"],
                          capture_output=True).returncode != 0:
            sys.exit(f"BASE={base} is no commit here (in a clone, main is origin/main)")
        changed = git_files("diff", "--name-only", base) | git_files("ls-files", "-o", "--exclude-standard")
        wanted = lambda m: m.get("file") in changed or m["path"] in changed
    else:
        globs = choice.split()
        wanted = lambda m: choice == "all" or any(
            fnmatch.fnmatch(m.get(key, ""), glob) for glob in globs for key in ("name", "file"))
    return [m for m in mutants if m["os"] == os_name and wanted(m)]


def sync_tree():
    """The scratch tree as the working tree is, rewriting only what differs, so that rebuilds stay small."""
    files = {name for name in git_files("ls-files", "-co", "--exclude-standard") if (ROOT / name).is_file()}
    for name in files:
        copy = TREE / name
        if not copy.is_file() or copy.read_bytes() != (ROOT / name).read_bytes():
            copy.parent.mkdir(parents=True, exist_ok=True)
            shutil.copy(ROOT / name, copy)
    for copy in [p for p in TREE.rglob("*") if p.is_file()]:
        if str(copy.relative_to(TREE)) not in files:
            copy.unlink()


def run(command, log, env=None, check=False):
    with open(log, "a") as out:
        out.write(f"$ {' '.join(map(str, command))}\n")
        out.flush()
        finished = subprocess.run(command, stdout=out, stderr=subprocess.STDOUT, env={**os.environ, **(env or {})})
    if check and finished.returncode != 0:
        sys.exit(f"mutants: failed, see {log}")
    return finished.returncode == 0


def build(folder, log):
    targets = ["orvelin_tests", "orvelin-split", "orvelin-scenario"]
    return run(["cmake", "--build", folder, "-j", JOBS, "--target", *targets], log)


def test(folder, os_name, log, seconds):
    """Each test within its limit, and the whole run within seconds: past that, the mutant hung."""
    stop = time.strftime("%H:%M:%S", time.localtime(time.time() + seconds))
    command = ["ctest", "--test-dir", folder, "--output-on-failure", "--timeout", TEST_SECONDS, "--stop-on-failure",
               "--stop-time", stop]
    if os_name == "windows":
        # On a virtual display, as `make test-windows` runs them: a console is a window under Wine.
        return run(["xvfb-run", "-a", "-s", "-screen 0 1024x768x24", *command], log, env=WINE_ENV)
    return run([*command, "-j", JOBS, *([] if os.environ.get("MUTANTS_TESTS") == "all" else ["-E", SLOW])], log)


def outcome(mutant, folder, os_name, log, seconds):
    if not {"file", "fault", "-", "+"} <= mutant.keys():
        return "error", "it lacks one of file:, fault:, - or +"
    source = TREE / mutant["file"]
    text = (ROOT / mutant["file"]).read_bytes() if source.is_file() else b""
    if (found := text.count(mutant["-"].encode())) != 1:
        return "error", f"its text is found {found} times in {mutant['file']}"
    source.write_bytes(text.replace(mutant["-"].encode(), mutant["+"].encode()))
    try:
        if not build(folder, log):
            return "error", "it does not build"
        return ("survived" if test(folder, os_name, log, seconds) else "killed"), ""
    finally:
        source.write_bytes(text)


def main():
    os_name = os.environ.get("MUTANTS_OS", "linux")
    if os_name not in CONFIGURE:
        sys.exit("mutants: MUTANTS_OS is linux or windows")
    files = sorted(p for p in (ROOT / "tests/mutants").iterdir() if p.name != "README.md")
    mutants = chosen([read_mutant(p) for p in files], os_name)
    if not mutants:
        sys.exit("mutants: none chosen")
    folder, logs = WORK / os_name, WORK / "logs"
    logs.mkdir(parents=True, exist_ok=True)
    TREE.mkdir(parents=True, exist_ok=True)
    sync_tree()
    baseline = logs / f"baseline-{os_name}.log"
    baseline.unlink(missing_ok=True)
    if not (folder / "CMakeCache.txt").exists():
        run(["cmake", "-S", TREE, "-B", folder, "-DCMAKE_BUILD_TYPE=Release", "-DORVELIN_BUILD_UI=OFF",
             *CONFIGURE[os_name]], baseline, check=True)
    if os_name == "windows":
        if not (WORK / "wine").exists():
            run([WINE, "wineboot", "-i"], baseline, env=WINE_ENV, check=True)
            run(["/usr/lib/wine/wineserver", "-w"], baseline, env=WINE_ENV, check=True)
        # Hidden only what is marked hidden, as on Windows, not every name starting with a dot.
        if '"ShowDotFiles"="Y"' not in (WORK / "wine" / "user.reg").read_text(errors="replace"):
            run([WINE, "reg", "add", "HKCU\\Software\\Wine", "/v", "ShowDotFiles", "/d", "Y", "/f"], baseline,
                env=WINE_ENV, check=True)
            run(["/usr/lib/wine/wineserver", "-w"], baseline, env=WINE_ENV, check=True)
    if not build(folder, baseline):
        sys.exit(f"mutants: the unchanged tree does not build, see {baseline}")
    started = time.time()
    if not test(folder, os_name, baseline, 3600):
        sys.exit(f"mutants: the unchanged tree fails its tests, see {baseline}")
    # A mutant's tests may take three times as long as the unchanged tree's.
    seconds = 3 * (time.time() - started) + 60
    print(f"{len(mutants)} mutants; the tests of the unchanged tree take {time.time() - started:.0f} s", flush=True)

    results = {"killed": [], "survived": [], "error": []}
    for number, mutant in enumerate(mutants, 1):
        log = logs / f"{mutant['name']}.log"
        log.unlink(missing_ok=True)
        started = time.time()
        result, why = outcome(mutant, folder, os_name, log, seconds)
        results[result].append((mutant, why))
        seconds_taken = time.time() - started
        print(f"[{number}/{len(mutants)}] {result:8} {mutant['name']} ({seconds_taken:.0f} s) {why}", flush=True)

    killed, survived, errors = results.values()
    print(f"\nkilled {len(killed)}, survived {len(survived)}, errors {len(errors)}")
    for mutant, _ in survived:
        print(f"  survived: {mutant['name']}: {mutant['file']}: {mutant['fault']}")
    for mutant, why in errors:
        print(f"  error: {mutant['name']}: {why}")
    if killed or survived:
        print(f"score: {100 * len(killed) // (len(killed) + len(survived))}% killed (logs in {logs})")


if __name__ == "__main__":
    main()
