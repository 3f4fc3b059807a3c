#!/usr/bin/env python3
"""Small and read-only file systems for the disk-fault tests.

  disk_fixture.py start --dir DIR
  disk_fixture.py stop --dir DIR

start mounts under DIR (needs root; without it nothing is mounted and the
tests that need the mounts skip themselves):
  DIR/full       a tmpfs of 512 KiB, for a disk that runs full
  DIR/readonly   a read-only view (bind mount) of DIR/source, which stays
                 writable, so a test can put files there and then find that
                 nothing can change them through DIR/readonly
stop unmounts both and removes the folders."""
import argparse
import os
import shutil
import subprocess
import sys


def mount(*args):
    return subprocess.run(["mount", *args], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0


def is_mounted(path):
    # os.path.ismount misses a bind mount of the same file system.
    with open("/proc/self/mounts") as mounts:
        return any(line.split()[1] == path for line in mounts)


def start(root):
    stop(root)
    full, source, readonly = (os.path.join(root, n) for n in ("full", "source", "readonly"))
    for d in (full, source, readonly):
        os.makedirs(d, exist_ok=True)
    if not mount("-t", "tmpfs", "-o", "size=512k", "tapestrel-full", full):
        print("disk_fixture: no tmpfs mount (not root?); the full-disk tests will skip")
    if not (mount("--bind", source, readonly) and mount("-o", "remount,bind,ro", readonly)):
        print("disk_fixture: no read-only bind mount; the read-only tests will skip")
    return 0


def stop(root):
    for name in ("readonly", "full"):
        path = os.path.join(root, name)
        while is_mounted(path):
            if subprocess.run(["umount", path], stderr=subprocess.DEVNULL).returncode != 0:
                subprocess.run(["umount", "-l", path], stderr=subprocess.DEVNULL)
                break
    for name in ("readonly", "full", "source"):
        path = os.path.join(root, name)
        if os.path.isdir(path) and not is_mounted(path):
            shutil.rmtree(path, ignore_errors=True)
    return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("command", choices=["start", "stop"])
    parser.add_argument("--dir", required=True)
    args = parser.parse_args()
    root = os.path.abspath(args.dir)
    return start(root) if args.command == "start" else stop(root)


if __name__ == "__main__":
    sys.exit(main())
