#!/usr/bin/env python3
"""Two real monitors for Wine: an Xorg server with the dummy driver and a Wine
prefix of its own, without a virtual desktop, whose desktop sees the X outputs
as monitors. Nothing of it is shared with the main test session: its own X
server, prefix, home, wineserver and desktop.

  monitor_fixture.py start --dir DIR --keeper KEEPER.exe [--dpi N] [--share-display]
  monitor_fixture.py layout --dir DIR NAME
  monitor_fixture.py run --dir DIR -- COMMAND...
  monitor_fixture.py stop --dir DIR

start runs Xorg on a free display (DIR/display), lays out the monitors "side",
makes the prefix DIR/prefix with its own persistent wineserver and starts
KEEPER there, which holds the prefix's desktop open until stop. layout sets one
of the layouts below with xrandr; the primary monitor is 1280x800, the other
1024x768, and Wine puts the primary monitor's corner at 0,0:
  side     the other right of the primary      (1280,0)
  stacked  the other below the primary         (0,800)
  left     the other left of the primary       (-1024,0)
  above    the other above the primary         (0,-768)
  single   the other switched off
run starts COMMAND with DISPLAY and the Wine environment of that prefix and
gives its output and exit code. stop ends the keeper, the wineserver and Xorg it
started, by their process ids, and removes DIR.

With --dpi the prefix runs at that DPI (its LogPixels, read when its wineserver
starts). With --share-display no Xorg is started: the prefix uses the caller's
X display ($DISPLAY, one monitor), so only the DPI differs from the main test
session.
"""
import argparse
import os
import shutil
import subprocess
import sys

from wine_prefix import end, path, read, run, start_prefix, stop_prefix, write

PRIMARY, OTHER = "DUMMY0", "DUMMY1"
PRIMARY_MODE, OTHER_MODE = "1280x800", "1024x768"
LAYOUTS = {
    "side": ((0, 0), (1280, 0)),
    "stacked": ((0, 0), (0, 800)),
    "left": ((1024, 0), (0, 0)),
    "above": ((0, 768), (0, 0)),
}

# No input devices of the machine and no console switching: the server is only
# a canvas with two outputs.
XORG_CONF = """Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoEnableDevices" "false"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 2304 1600
  EndSubSection
EndSection
"""


def xrandr(root, *args):
    # Started from Wine, the environment is Wine's (a Windows PATH, its loader's
    # settings): xrandr gets one of its own.
    env = {"DISPLAY": ":" + read(root, "display"), "PATH": "/usr/local/bin:/usr/bin:/bin"}
    with open(path(root, "xrandr.log"), "a") as log:
        code = subprocess.run(["xrandr", *args], env=env, stdin=subprocess.DEVNULL, stdout=log,
                              stderr=log).returncode
        log.write("xrandr %s: %d\n" % (" ".join(args), code))
        return code == 0


def layout(root, name):
    if name == "single":
        done = xrandr(root, "--output", OTHER, "--off", "--output", PRIMARY, "--mode", PRIMARY_MODE,
                      "--pos", "0x0", "--primary")
    else:
        primary, other = LAYOUTS[name]
        done = xrandr(root, "--output", PRIMARY, "--mode", PRIMARY_MODE, "--pos", "%dx%d" % primary, "--primary",
                      "--output", OTHER, "--mode", OTHER_MODE, "--pos", "%dx%d" % other)
    # The dummy driver reports an output as connected only from the first probe
    # after it got a mode (and as disconnected after it was switched off); Wine
    # counts connected outputs only. A query probes them, and the change it
    # announces reaches Wine's desktop like a monitor plugged in or out.
    return done and xrandr(root, "--query")


def start_xorg(root):
    write(root, "xorg.conf", XORG_CONF)
    read_end, write_end = os.pipe()
    xorg = subprocess.Popen(["Xorg", "-noreset", "-nolisten", "tcp", "-novtswitch", "-sharevts",
                             "-config", path(root, "xorg.conf"), "-logfile", path(root, "xorg.log"),
                             "-displayfd", str(write_end)],
                            pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, start_new_session=True)
    os.close(write_end)
    write(root, "xorg.pid", str(xorg.pid))
    with os.fdopen(read_end) as pipe:
        display = pipe.readline().strip()
    if display:
        write(root, "display", display)
    return bool(display)


def start_monitors(root):
    if not shutil.which("Xorg") or not shutil.which("xrandr"):
        print("monitor_fixture: Xorg and xrandr are missing (scripts/setup.sh installs them)")
        return 1
    if not start_xorg(root):
        print("monitor_fixture: Xorg did not start (see %s)" % path(root, "xorg.log"))
        return 1
    xrandr(root, "--addmode", OTHER, OTHER_MODE)
    if not layout(root, "side"):
        print("monitor_fixture: xrandr could not lay out two monitors (see %s)" % path(root, "xrandr.log"))
        return 1
    return 0


def start(root, keeper, dpi, display):
    stop(root)
    os.makedirs(path(root, "home"))
    if display:
        write(root, "display", display.lstrip(":"))
    elif start_monitors(root):
        return 1
    # The server reads the DPI when it starts.
    start_prefix(root, keeper, [(r"HKCU\Control Panel\Desktop", "LogPixels", str(dpi), "REG_DWORD")] if dpi else [])
    return 0


def stop(root):
    stop_prefix(root)
    end(read(root, "xorg.pid"))
    shutil.rmtree(root, ignore_errors=True)
    return 0


def run_command(root, command):
    if not read(root, "display"):
        print("monitor_fixture: no two-monitor X server in %s (monitor_fixture_start failed?)" % root)
        return 1
    # How the test changes the layout: this script, run by the interpreter itself
    # (a wrapper script cannot be started from Wine).
    return run(root, command, {"TAPESTREL_PYTHON": os.path.realpath(sys.executable),
                               "TAPESTREL_MONITOR_FIXTURE": os.path.realpath(__file__),
                               "TAPESTREL_MONITOR_DIR": root})


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("command", choices=["start", "layout", "run", "stop"])
    parser.add_argument("--dir", required=True)
    parser.add_argument("--keeper")
    parser.add_argument("--dpi", type=int)
    parser.add_argument("--share-display", action="store_true")
    parser.add_argument("rest", nargs="*")
    # Everything after "--" is the command of "run", options included.
    split = sys.argv.index("--") if "--" in sys.argv else len(sys.argv)
    args = parser.parse_intermixed_args(sys.argv[1:split])
    command = sys.argv[split + 1:]
    root = os.path.abspath(args.dir)
    if args.command == "start":
        if not args.keeper:
            parser.error("start needs --keeper")
        return start(root, args.keeper, args.dpi, os.environ.get("DISPLAY", "") if args.share_display else "")
    if args.command == "stop":
        return stop(root)
    if args.command == "layout":
        return 0 if args.rest and args.rest[0] in list(LAYOUTS) + ["single"] and layout(root, args.rest[0]) else 1
    return run_command(root, command)


if __name__ == "__main__":
    sys.exit(main())
