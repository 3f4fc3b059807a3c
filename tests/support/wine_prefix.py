"""A Wine prefix of a test fixture's own, apart from the main test session: its
own prefix, home, wineserver and desktop keeper in a folder DIR, all started
and ended by process id. The fixtures' common part (monitor_fixture.py,
package_fixture.py); DIR/display names the X display, DIR/user the Windows user
when it is not the caller's.
"""
import os
import signal
import subprocess
import sys
import time


def path(root, name):
    return os.path.join(root, name)


def read(root, name):
    try:
        with open(path(root, name), encoding="utf-8") as f:
            return f.read().strip()
    except OSError:
        return ""


def write(root, name, text):
    with open(path(root, name), "w", encoding="utf-8") as f:
        f.write(text)


def windows_path(host_path):
    """The path as the prefix's programs see it, through Wine's Z: drive."""
    return "Z:" + os.path.realpath(host_path).replace("/", "\\")


def wine_env(root):
    env = dict(os.environ)
    # WINESERVER or a loader setting of the calling session would lead back to it.
    for name in ("WINESERVER", "WINELOADER", "WINEDLLPATH"):
        env.pop(name, None)
    env.update(WINEPREFIX=path(root, "prefix"), HOME=path(root, "home"), WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=", WINEARCH="win64", DISPLAY=":" + read(root, "display"))
    user = read(root, "user")
    if user:
        # Wine names the profile after USER, in every process of the prefix, and
        # converts non-ASCII text of its command lines by the locale.
        env.update(USER=user, LOGNAME=user, LANG="C.UTF-8")
    return env


def quiet(command, env, **options):
    return subprocess.run(command, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL, **options).returncode


def spawn(root, pid_name, command, env):
    """A process of this fixture in a session of its own, its output nowhere (a
    pipe it held would keep the caller waiting), its id in DIR/pid_name."""
    process = subprocess.Popen(command, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, start_new_session=True)
    write(root, pid_name, str(process.pid))
    return process


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
            if os.waitpid(pid, os.WNOHANG)[0] == pid:
                return
        except ChildProcessError:
            pass
        try:
            os.kill(pid, 0)
        except OSError:
            return
        time.sleep(0.1)
    try:
        os.kill(pid, signal.SIGKILL)
    except OSError:
        pass


def reg_add(env, key, name, data, kind="REG_SZ"):
    quiet(["wine", "reg", "add", key, "/v", name, "/t", kind, "/d", data, "/f"], env)


def start_prefix(root, keeper, server_values=()):
    """Makes DIR/prefix with its persistent wineserver and starts KEEPER there,
    which holds the prefix's desktop open until stop_prefix. server_values are
    registry values (key, name, data, type) that Wine reads only when its
    server or desktop starts (the DPI, a virtual desktop)."""
    os.makedirs(path(root, "home"), exist_ok=True)
    env = wine_env(root)
    spawn(root, "wineserver.pid", ["wineserver", "-f", "-p"], env)
    quiet(["wineboot", "-i"], env)
    # A crash ends the program at once instead of waiting in Wine's debugger.
    reg_add(env, r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug", "Debugger", "")
    # Japanese text: programs ask for the usual Windows family names.
    for family in ("ＭＳＰゴシック", "ＭＳ Ｐゴシック", "MS UI Gothic", "ＭＳ ゴシック"):
        reg_add(env, r"HKCU\Software\Wine\Fonts\Replacements", family, "IPAPGothic")
    if server_values:
        for value in server_values:
            reg_add(env, *value)
        # The server and the desktop started with the prefix, before these
        # values: a new server, and the keeper starts a new desktop.
        quiet(["wineserver", "-k"], env, timeout=60)
        end(read(root, "wineserver.pid"))
        spawn(root, "wineserver.pid", ["wineserver", "-f", "-p"], env)
    # Wine's helpers (services, the desktop, plug and play) start with the
    # keeper and live until stop, so none of them holds a test's output.
    spawn(root, "keeper.pid", ["wine", keeper], env)


def stop_prefix(root):
    if read(root, "wineserver.pid"):
        # Ends every client of this fixture's own prefix (the keeper, the
        # desktop, a program left by a failed test), then its server.
        quiet(["wineserver", "-k"], wine_env(root), timeout=60)
        end(read(root, "keeper.pid"))
        end(read(root, "wineserver.pid"))


def run(root, command, extra_env):
    """Runs COMMAND in the prefix and gives its output and exit code."""
    env = wine_env(root)
    env.update(extra_env)
    # The output goes through a file: a Wine helper that the command starts
    # inherits it, and a pipe it held would keep the caller waiting.
    log_path = path(root, "run.log")
    with open(log_path, "w") as log:
        code = subprocess.run(command, env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=log).returncode
    with open(log_path, errors="replace") as log:
        sys.stdout.write(log.read())
    return code
