#!/usr/bin/env python3
"""Builds an installer from every_export.nsi with Debian's makensis around the built plug-in,
runs it silently under Wine and checks each "name=value" line it wrote against what the
plug-in must leave behind. Exits non-zero, naming every wrong line, on any difference.

  installer_run_test.py MAKENSIS WINE_RUN PLUGIN_DIR TARGET WORK_DIR
"""
import hashlib
import os
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def double_sha1(text: bytes) -> str:
    return hashlib.sha1(hashlib.sha1(text).digest()).hexdigest()


def expected_results():
    return {
        "sha1.abc": double_sha1(b"abc"),
        "sha1.empty": double_sha1(b""),
        "sha1.fox": double_sha1(b"The quick brown fox jumps over the lazy dog"),
        "shortcut.status": "0",
        "shortcut.saved": "1",
        "killproc.nosuch": "0",
        "browserrunning.status": "0",
        "browserrunning.found": "0",
        "unlockproxies.R0": "unset",
        # Wine's filtering platform refuses to open an engine: ERROR_NOT_SUPPORTED.
        "installprovider": "1764",
        "uninstallprovider": "1764",
        "sentinel": "sentinel",
    }


def windows_path(wine_run, path):
    out = subprocess.run([wine_run, "winepath.exe", "-w", path], capture_output=True, text=True, check=True)
    return out.stdout.strip()


def main():
    makensis, wine_run, plugin_dir, target, work = sys.argv[1:6]
    plugin_dir, work = os.path.abspath(plugin_dir), os.path.abspath(work)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    installer = os.path.join(work, "every_export.exe")
    results = os.path.join(work, "results.txt")
    build = subprocess.run([makensis, "-V2", f"-DTARGET={target}", f"-DPLUGINS={plugin_dir}",
                            f"-DRESULTS={windows_path(wine_run, results)}",
                            f"-DWORK={windows_path(wine_run, os.path.join(work, 'links'))}",
                            f"-DOUT={installer}", os.path.join(HERE, "every_export.nsi")],
                           capture_output=True, text=True)
    if build.returncode != 0:
        print(build.stdout, build.stderr)
        return 1
    run = subprocess.run([wine_run, installer, "/S"], capture_output=True, text=True, timeout=120)
    if run.returncode != 0:
        print(f"installer exited with {run.returncode}\n{run.stdout}{run.stderr}")
        return 1
    with open(results, encoding="ascii", errors="replace") as f:
        got = dict(line.rstrip("\r\n").split("=", 1) for line in f if "=" in line)
    failures = [f"{name}: expected {want!r}, got {got.get(name)!r}"
                for name, want in expected_results().items() if got.get(name) != want]
    for failure in failures:
        print(failure)
    print(f"{len(expected_results()) - len(failures)} of {len(expected_results())} results as expected")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
