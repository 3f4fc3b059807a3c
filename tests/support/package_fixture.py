#!/usr/bin/env python3
"""The release packages and a fresh Wine prefix to try them in, as a new
Windows user would: a profile with a Japanese name, nothing of the main test
session's prefix.

  package_fixture.py start --dir DIR --source SOURCE --build BUILD --keeper KEEPER.exe
  package_fixture.py run --dir DIR -- COMMAND...
  package_fixture.py stop --dir DIR

start runs SOURCE/scripts/package.sh with the build folder BUILD and the
packages written to DIR/dist, unpacks the portable archive into DIR/portable,
and makes the prefix DIR/prefix (see wine_prefix.py) on the caller's X display.
run starts COMMAND there with TAPESTREL_SETUP (the installer),
TAPESTREL_PORTABLE (the unpacked archive) and TAPESTREL_PACKAGE_STAGE (the
files both packages were made of), as Windows paths. stop ends what start
started, by process id, and removes DIR.
"""
import argparse
import glob
import os
import shutil
import subprocess
import sys
import zipfile

from wine_prefix import path, read, run, start_prefix, stop_prefix, windows_path, write

USER = "山田 太郎"


def package(root, source, build):
    env = dict(os.environ, TAPESTREL_BUILD=build, TAPESTREL_DIST=path(root, "dist"))
    log_path = path(root, "package.log")
    with open(log_path, "w") as log:
        code = subprocess.run(["bash", os.path.join(source, "scripts", "package.sh")], env=env,
                              stdin=subprocess.DEVNULL, stdout=log, stderr=log).returncode
    if code != 0:
        with open(log_path, errors="replace") as log:
            sys.stdout.write(log.read()[-4000:])
        print("package_fixture: scripts/package.sh failed with %d" % code)
        return False
    archives = glob.glob(path(root, "dist/Tapestrel-*-portable.zip"))
    if len(archives) != 1 or len(glob.glob(path(root, "dist/Tapestrel-*-setup.exe"))) != 1:
        print("package_fixture: dist/ holds %s" % sorted(os.listdir(path(root, "dist"))))
        return False
    with zipfile.ZipFile(archives[0]) as archive:
        archive.extractall(path(root, "portable"))
    write(root, "stage", os.path.join(build, "package-stage"))
    return True


def start(root, source, build, keeper):
    stop(root)
    os.makedirs(root)
    if not package(root, source, build):
        return 1
    display = os.environ.get("DISPLAY", "")
    if not display:
        print("package_fixture: no X display (DISPLAY)")
        return 1
    write(root, "display", display.lstrip(":"))
    write(root, "user", USER)
    start_prefix(root, keeper, [(r"HKCU\Software\Wine\Explorer", "Desktop", "Default"),
                                (r"HKCU\Software\Wine\Explorer\Desktops", "Default", "1280x800")])
    return 0


def stop(root):
    stop_prefix(root)
    shutil.rmtree(root, ignore_errors=True)
    return 0


def run_command(root, command):
    setups = glob.glob(path(root, "dist/Tapestrel-*-setup.exe"))
    if not read(root, "display") or len(setups) != 1:
        print("package_fixture: no packages or prefix in %s (package_fixture_start failed?)" % root)
        return 1
    return run(root, command, {"TAPESTREL_SETUP": windows_path(setups[0]),
                               "TAPESTREL_PORTABLE": windows_path(path(root, "portable")),
                               "TAPESTREL_PACKAGE_STAGE": windows_path(read(root, "stage"))})


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("command", choices=["start", "run", "stop"])
    parser.add_argument("--dir", required=True)
    parser.add_argument("--source")
    parser.add_argument("--build")
    parser.add_argument("--keeper")
    split = sys.argv.index("--") if "--" in sys.argv else len(sys.argv)
    args = parser.parse_args(sys.argv[1:split])
    root = os.path.abspath(args.dir)
    if args.command == "start":
        if not (args.source and args.build and args.keeper):
            parser.error("start needs --source, --build and --keeper")
        return start(root, os.path.abspath(args.source), os.path.abspath(args.build), args.keeper)
    if args.command == "stop":
        return stop(root)
    return run_command(root, sys.argv[split + 1:])


if __name__ == "__main__":
    sys.exit(main())
