#!/usr/bin/env python3
"""Two real monitors for Wine: an Xorg server with the dummy driver and a Wine
prefix of its own, whose desktop (no virtual desktop) sees the X outputs as
monitors.

  monitor_fixture.py start --dir DIR
  monitor_fixture.py layout --dir DIR NAME
  monitor_fixture.py run --dir DIR -- COMMAND...
  monitor_fixture.py stop --dir DIR

start runs Xorg on a free display (DIR/display), lays out the monitors "side"
and makes the prefix DIR/prefix with its own persistent wineserver. layout sets
one of the layouts below with xrandr; the primary monitor is 1280x800, the
other 1024x768, and Wine puts the primary monitor's corner at 0,0:
  side     the other right of the primary      (1280,0)
  stacked  the other below the primary         (0,800)
  left     the other left of the primary       (-1024,0)
  above    the other above the primary         (0,-768)
  single   the other switched off
run starts COMMAND with DISPLAY and the Wine environment of that prefix. stop
ends the wineserver and Xorg it started, by their process ids, and removes DIR.
"""
import argparse
import os
import shutil
import signal
import subprocess
import sys
import time

PRIMARY, OTHER = "DUMMY0", "DUMMY1"
PRIMARY_MODE, OTHER_MODE = "1280x800", "1024x768"
LAYOUTS = {
    "side": ((0, 0), (1280, 0)),
    "stacked": ((0, 0), (0, 800)),
    "left": ((1024, 0), (0, 0)),
    "above": ((0, 768), (0, 0)),
}

XORG_CONF = """Section "Device"
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


def path(root, name):
    return os.path.join(root, name)


def read(root, name):
    try:
        with open(path(root, name)) as f:
            return f.read().strip()
    except OSError:
        return ""


def wine_env(root):
    env = dict(os.environ)
    env.update(WINEPREFIX=path(root, "prefix"), HOME=path(root, "home"), WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=", WINEARCH="win64", DISPLAY=":" + read(root, "display"))
    return env


def xrandr(root, *args):
    # Started from Wine, the environment is Wine's (a Windows PATH, its loader's
    # settings): xrandr gets one of its own.
    env = {"DISPLAY": ":" + read(root, "display"), "PATH": "/usr/local/bin:/usr/bin:/bin"}
    with open(path(root, "xrandr.log"), "a") as log:
        code = subprocess.run(["xrandr", *args], env=env, stdout=log, stderr=log).returncode
        log.write("xrandr %s: %d\n" % (" ".join(args), code))
        return code == 0


def layout(root, name):
    if name == "single":
        return xrandr(root, "--output", OTHER, "--off", "--output", PRIMARY, "--mode", PRIMARY_MODE,
                      "--pos", "0x0", "--primary")
    primary, other = LAYOUTS[name]
    return xrandr(root, "--output", PRIMARY, "--mode", PRIMARY_MODE, "--pos", "%dx%d" % primary, "--primary",
                  "--output", OTHER, "--mode", OTHER_MODE, "--pos", "%dx%d" % other)


def start(root):
    stop(root)
    os.makedirs(path(root, "home"), exist_ok=True)
    with open(path(root, "xorg.conf"), "w") as f:
        f.write(XORG_CONF)
    read_end, write_end = os.pipe()
    xorg = subprocess.Popen(["Xorg", "-noreset", "-nolisten", "tcp", "-config", path(root, "xorg.conf"),
                             "-logfile", path(root, "xorg.log"), "-displayfd", str(write_end)],
                            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                            start_new_session=True)
    os.close(write_end)
    with open(path(root, "xorg.pid"), "w") as f:
        f.write(str(xorg.pid))
    with os.fdopen(read_end) as pipe:
        display = pipe.readline().strip()
    if not display:
        print("monitor_fixture: Xorg did not start (see %s)" % path(root, "xorg.log"))
        return 1
    with open(path(root, "display"), "w") as f:
        f.write(display)
    xrandr(root, "--addmode", OTHER, OTHER_MODE)
    if not layout(root, "side"):
        print("monitor_fixture: xrandr could not lay out two monitors")
        return 1
    env = wine_env(root)
    start_wineserver(root, env)
    subprocess.run(["wineboot", "-i"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # A crash ends the program at once instead of waiting in Wine's debugger.
    subprocess.run(["wine", "reg", "add", r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug",
                    "/v", "Debugger", "/d", "", "/f"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # The desktop of a prefix being made sees one monitor only; a fresh one sees the layout.
    subprocess.run(["wineserver", "-k"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    end(read(root, "wineserver.pid"))
    start_wineserver(root, env)
    return 0


def start_wineserver(root, env):
    server = subprocess.Popen(["wineserver", "-f", "-p"], env=env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, start_new_session=True)
    with open(path(root, "wineserver.pid"), "w") as f:
        f.write(str(server.pid))


def end(pid_text):
    if not pid_text:
        return
    pid = int(pid_text)
    try:
        os.kill(pid, signal.SIGTERM)
    except OSError:
        return
    for _ in range(100):
        try:
            os.kill(pid, 0)
        except OSError:
            return
        time.sleep(0.1)
    try:
        os.kill(pid, signal.SIGKILL)
    except OSError:
        pass


def stop(root):
    if read(root, "wineserver.pid"):
        # Ends the clients of this fixture's own prefix, then its server.
        subprocess.run(["wineserver", "-k"], env=wine_env(root), stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        end(read(root, "wineserver.pid"))
    end(read(root, "xorg.pid"))
    shutil.rmtree(root, ignore_errors=True)
    return 0


def run(root, command):
    env = wine_env(root)
    # How the test changes the layout: this script, run by the interpreter itself
    # (a wrapper script cannot be started from Wine).
    env.update(TAPESTREL_PYTHON=os.path.realpath(sys.executable), TAPESTREL_MONITOR_FIXTURE=os.path.realpath(__file__),
               TAPESTREL_MONITOR_DIR=root)
    os.execvpe(command[0], command, env)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("command", choices=["start", "layout", "run", "stop"])
    parser.add_argument("--dir", required=True)
    parser.add_argument("rest", nargs="*")
    # Everything after "--" is the command of "run", options included.
    split = sys.argv.index("--") if "--" in sys.argv else len(sys.argv)
    args = parser.parse_intermixed_args(sys.argv[1:split])
    command = sys.argv[split + 1:]
    root = os.path.abspath(args.dir)
    if args.command == "start":
        return start(root)
    if args.command == "stop":
        return stop(root)
    if args.command == "layout":
        return 0 if args.rest and args.rest[0] in list(LAYOUTS) + ["single"] and layout(root, args.rest[0]) else 1
    return run(root, command)


if __name__ == "__main__":
    sys.exit(main())
