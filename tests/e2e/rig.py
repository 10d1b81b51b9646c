"""Runs sonorin.exe under Wine for the end-to-end tests and works it from outside.

The session (`Environment`) provides an X display, a PulseAudio null sink, the Wine prefix and
a private network namespace with only loopback, in which /etc/hosts is a file of the rig's own.
scripts/test prepares display, sound and prefix and says so with SONORIN_RIG=1; run alone, the
environment starts its own. Each test gets a `Rig`: a fresh program folder inside the prefix,
no saved settings, no desktop shortcut, a default hosts file, and helpers around
sonorin-driver.exe, which reads and works windows through ordinary window messages.
"""

import fcntl
import json
import os
import random
import shutil
import signal
import subprocess
import tempfile
import threading
import time
import wave
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
BUILD = ROOT / "build" / "windows"
PROGRAM = BUILD / "sonorin.exe"
DRIVER = BUILD / "sonorin-driver.exe"
ARTIFACTS = ROOT / "build" / "e2e-artifacts"

CAPTION = "星澜网络收音机(Sonorin)"
FORM_CLASS = "ThunderRT6FormDC"
BROWSER_PANE_CLASS = "SonorinBrowserPane"
SETTINGS_KEY = r"HKCU\Software\VB and VBA Program Settings\Sonorin"
# Host names the program reaches: the connectivity test and the radio portal.
ONLINE_HOSTS = ["www.baidu.com", "radio.sonorin.cn"]
DEFAULT_HOSTS = "127.0.0.1 localhost\n::1 localhost\n"

# Message box answers.
IDOK, IDCANCEL, IDYES, IDNO = 1, 2, 6, 7


class RigError(Exception):
    pass


class Skip(Exception):
    """Raised by a test that cannot run yet; the message says why."""


def default_prefix():
    return Path(os.environ.get("SONORIN_WINEPREFIX", ROOT / "build" / "wineprefix"))


def _network_interfaces():
    # /proc/self/net shows the network namespace of the reading process.
    with open("/proc/self/net/dev") as dev:
        return {line.split(":")[0].strip() for line in dev.readlines()[2:]}


def isolated():
    """True when this process has a network namespace with nothing but loopback, and a mount
    namespace other than its parent's (so a bind mount over /etc/hosts stays in here)."""
    try:
        own_mounts = os.stat("/proc/self/ns/mnt").st_ino
        parent_mounts = os.stat(f"/proc/{os.getppid()}/ns/mnt").st_ino
        return _network_interfaces() == {"lo"} and own_mounts != parent_mounts
    except OSError:
        return False


def _wait_for(check, timeout, interval=0.05):
    end = time.monotonic() + timeout
    while True:
        result = check()
        if result or time.monotonic() >= end:
            return result
        time.sleep(interval)


class Environment:
    """Display, sound, prefix and network of one run of the end-to-end tests."""

    def __init__(self):
        if not isolated():
            raise RigError("the end-to-end tests run only in a private network namespace "
                           "(tests/e2e/run.py sets one up)")
        self._processes = []
        self._lock = None
        self._hosts_mounted = False
        self.prefix = None
        self.tmp = Path(tempfile.mkdtemp(prefix="sonorin-e2e."))
        self.env = dict(os.environ)
        try:
            self._prepare()
        except BaseException:
            self.close()
            raise

    def _prepare(self):
        subprocess.run(["ip", "link", "set", "lo", "up"], check=True)
        if os.environ.get("SONORIN_RIG") == "1":
            for name in ("DISPLAY", "PULSE_SERVER", "WINEPREFIX"):
                if not os.environ.get(name):
                    raise RigError(f"SONORIN_RIG=1 but {name} is not set")
            prefix = Path(os.environ["WINEPREFIX"])
        else:
            prefix = default_prefix()
            if not (prefix / ".sonorin-prefix").exists():
                raise RigError(f"{prefix} is not prepared: run scripts/setup")
            self._lock_prefix(prefix)
            self._start_xvfb()
            self._start_pulse()
        self.prefix = prefix
        self.env.update(WINEPREFIX=str(prefix), WINEARCH="win64", WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree=", LANG="zh_CN.UTF-8")
        # Wine's WinINet would send the program's requests to a proxy named here.
        for name in ("LC_ALL", "LC_CTYPE", "LC_MESSAGES", "http_proxy", "https_proxy",
                     "HTTP_PROXY", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"):
            self.env.pop(name, None)
        self.drive_c = self.prefix / "drive_c"
        # The hosts file of this namespace is ours; tests rewrite it in place.
        self.hosts = self.tmp / "hosts"
        self.hosts.write_text(DEFAULT_HOSTS)
        subprocess.run(["mount", "--bind", str(self.hosts), "/etc/hosts"], check=True)
        self._hosts_mounted = True
        if os.environ.get("SONORIN_RIG") != "1":
            # A server of this prefix started outside the namespace would open the program's
            # sockets out there.
            self.wine_kill()
        # Screenshots and logs of this run only.
        shutil.rmtree(ARTIFACTS, ignore_errors=True)
        ARTIFACTS.mkdir(parents=True)

    def _lock_prefix(self, prefix):
        self._lock = open(f"{prefix}.lock", "w")
        try:
            fcntl.flock(self._lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
        except BlockingIOError:
            print(f"waiting for another run that uses {prefix}", flush=True)
            fcntl.flock(self._lock, fcntl.LOCK_EX)

    def _spawn(self, args, stdin=subprocess.DEVNULL, **kwargs):
        kwargs.setdefault("env", self.env)
        process = subprocess.Popen(args, stdin=stdin, **kwargs)
        self._processes.append(process)
        return process

    def _start_xvfb(self):
        for _ in range(20):
            display = random.randint(200, 899)
            if Path(f"/tmp/.X{display}-lock").exists():
                continue
            xvfb = self._spawn(["Xvfb", f":{display}", "-screen", "0", "1280x800x24",
                                "-nolisten", "tcp"], stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
            socket = Path(f"/tmp/.X11-unix/X{display}")
            if _wait_for(lambda: socket.exists() or xvfb.poll() is not None, 5) and \
                    xvfb.poll() is None:
                self.env["DISPLAY"] = f":{display}"
                return
        raise RigError("could not start Xvfb")

    def _start_pulse(self):
        runtime = self.tmp / "pulse"
        runtime.mkdir(mode=0o700)
        socket = runtime / "native"
        self._spawn(["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                     "--disallow-exit", "--use-pid-file=no", "--system=no",
                     "-L", f"module-native-protocol-unix auth-anonymous=1 socket={socket}",
                     "-L", "module-null-sink sink_name=nullsink rate=44100 channels=2 "
                           "format=s16le"],
                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                    env={**self.env, "XDG_RUNTIME_DIR": str(runtime), "HOME": str(runtime)})
        self.env["PULSE_SERVER"] = f"unix:{socket}"

        def ready():
            return subprocess.run(["pactl", "info"], env=self.env, capture_output=True)\
                .returncode == 0

        if not _wait_for(ready, 5):
            raise RigError("could not start PulseAudio")
        subprocess.run(["pactl", "set-default-sink", "nullsink"], env=self.env, check=True)
        subprocess.run(["pactl", "set-default-source", "nullsink.monitor"], env=self.env,
                       check=True)
        # Without a steady stream into the sink, capture starts a second or two late.
        with open("/dev/zero", "rb") as zeros:
            self._spawn(["pacat", "--playback", "--raw", "--device=nullsink",
                         "--latency-msec=10", "--format=s16le", "--rate=44100", "--channels=2"],
                        stdin=zeros)

    def wine(self, args, timeout=60):
        """Runs a Wine program to its end; returns (exit code, stdout, stderr).

        Output goes through files, not pipes: the first Wine process of a session starts
        Wine's own background processes, which inherit its output handles and would keep a
        pipe open long after the program itself has ended."""
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            process = subprocess.Popen(["wine", *map(str, args)], env=self.env,
                                       stdin=subprocess.DEVNULL, stdout=out, stderr=err)
            try:
                code = process.wait(timeout=timeout)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
                raise RigError(f"wine {' '.join(map(str, args))} did not end in {timeout} s")
            out.seek(0)
            err.seek(0)
            return code, out.read(), err.read()

    def wine_kill(self):
        """Ends every Wine process of the prefix (the program, helpers it started)."""
        subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True)
        # A Wine process started while the old server is still going away fails at once.
        try:
            subprocess.run(["wineserver", "-w"], env=self.env, capture_output=True, timeout=10)
        except subprocess.TimeoutExpired:
            pass

    def close(self):
        if self.prefix is not None:  # else WINEPREFIX may still be someone else's
            self.wine_kill()
        if self._hosts_mounted:
            subprocess.run(["umount", "/etc/hosts"], capture_output=True)
        for process in reversed(self._processes):
            process.terminate()
        for process in self._processes:
            try:
                process.wait(timeout=2)
            except subprocess.TimeoutExpired:
                process.kill()
        shutil.rmtree(self.tmp, ignore_errors=True)
        if self._lock:
            self._lock.close()


class Program:
    """One running sonorin.exe, started by the rig."""

    def __init__(self, process, folder, log):
        self.process = process
        self.folder = folder  # the program folder, a Linux path inside the prefix
        self.log = log
        self.exit_code = None

    def running(self):
        return self.process.poll() is None

    def wait(self, timeout):
        """The exit code, or None when the program is still running after `timeout` s."""
        try:
            self.exit_code = self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None
        return self.exit_code


class _PageHandler(BaseHTTPRequestHandler):
    def do_GET(self):
        self.server.requests.append(self.path)
        page = self.server.pages.get(self.path.split("?")[0])
        if page is None:
            self.send_error(404)
            return
        body = page.encode("utf-8") if isinstance(page, str) else page
        self.send_response(200)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    do_HEAD = do_GET

    def log_message(self, *args):
        pass


class Rig:
    """What one test uses: the program, the driver, the registry, screen, sound, network."""

    def __init__(self, environment, name):
        self.environment = environment
        self.env = environment.env
        self.name = name
        self.programs = []
        self.server = None
        self.folder = environment.drive_c / "e2e" / name
        shutil.rmtree(self.folder, ignore_errors=True)
        self.folder.mkdir(parents=True)
        self.set_hosts([])
        environment.wine(["reg", "delete", SETTINGS_KEY, "/f"])
        for desktop in environment.drive_c.glob("users/*/Desktop"):
            for link in desktop.glob("*.lnk"):
                link.unlink()

    # --- the program -------------------------------------------------------------------

    def start(self, files=()):
        """Starts a fresh copy of sonorin.exe in this test's folder. `files`: more files to
        put beside it (paths, or (name, bytes) pairs)."""
        if not PROGRAM.exists():
            raise RigError(f"{PROGRAM} is missing: build the windows preset first")
        shutil.copy2(PROGRAM, self.folder / PROGRAM.name)
        help_file = BUILD / "help.txt"
        if not help_file.exists():
            help_file = ROOT / "res" / "help.txt"
        if help_file.exists():
            shutil.copy2(help_file, self.folder / "help.txt")
        for item in files:
            if isinstance(item, tuple):
                (self.folder / item[0]).write_bytes(item[1])
            else:
                shutil.copy2(item, self.folder / Path(item).name)
        return self.launch(self.folder / PROGRAM.name)

    def launch(self, exe):
        """Starts a program that is already in its place (an installed or unpacked copy),
        in its own folder, as a shortcut would."""
        exe = Path(exe)
        log = open(ARTIFACTS / f"{self.name}-program-{len(self.programs)}.log", "wb")
        process = subprocess.Popen(["wine", str(exe)], cwd=exe.parent, env=self.env,
                                   stdin=subprocess.DEVNULL, stdout=log,
                                   stderr=subprocess.STDOUT)
        program = Program(process, exe.parent, log)
        self.programs.append(program)
        return program

    def stop(self, program, window=None, timeout=10):
        """Closes the program (WM_CLOSE to `window`, or to its visible windows with the
        program's caption), waits for it to end and returns its exit code; kills it and
        raises when it is still running after `timeout` s."""
        if program.running():
            targets = [window] if window else [w["hwnd"] for w in self.windows(CAPTION)]
            for hwnd in targets:
                self.driver("close", hwnd, check=False)
        code = program.wait(timeout)
        if code is None:
            program.process.kill()
            program.wait(5)
            raise RigError(f"the program did not end within {timeout} s of being closed")
        return code

    # --- the driver ----------------------------------------------------------------------

    def driver(self, *args, check=True, timeout=30):
        """Runs sonorin-driver.exe; returns its output as a list of JSON objects."""
        code, out, err = self.environment.wine([DRIVER, *args], timeout=timeout)
        if code != 0 and not (code == 1 and err.strip()):
            # Not the driver's own failure (it exits with 1 and says why) but Wine failing to
            # start it, as it can while a server of the prefix is going away: once more.
            time.sleep(0.5)
            code, out, err = self.environment.wine([DRIVER, *args], timeout=timeout)
        if code != 0:
            if check:
                message = err.decode("utf-8", "replace").strip()
                raise RigError(f"driver {' '.join(map(str, args))} (exit code {code}): "
                               f"{message}")
            return []
        lines = out.decode("utf-8").splitlines()
        return [json.loads(line) for line in lines if line.strip()]

    def windows(self, caption=None, window_class=None, visible=True):
        """Top-level windows: hwnd, pid, class, caption, visible, enabled, minimized, owner."""
        found = self.driver("windows", *(["--visible"] if visible else []))
        return [w for w in found
                if (caption is None or w["caption"] == caption)
                and (window_class is None or w["class"] == window_class)]

    def wait_window(self, caption, window_class=None, timeout=5.0):
        """The first visible window with that caption (and class) to appear."""
        args = ["wait-window", caption, int(timeout * 1000)]
        return self.driver(*args, *([window_class] if window_class else []),
                           timeout=timeout + 30)[0]

    def wait_until(self, check, timeout=5.0, interval=0.2, what="the condition"):
        """Polls `check` until it returns something true, and returns that."""
        result = _wait_for(check, timeout, interval)
        if not result:
            raise RigError(f"timed out after {timeout} s waiting for {what}")
        return result

    def main_window(self, timeout=5.0):
        """The visible main window: the program's caption and form class, with the radio pane
        (the offline window has the same caption and class, but no pane)."""
        def find():
            for window in self.windows(CAPTION, FORM_CLASS):
                if any(c["class"] == BROWSER_PANE_CLASS for c in self.controls(window["hwnd"])):
                    return window
            return None
        return self.wait_until(find, timeout, what="the main window")

    def controls(self, window):
        """Child windows: hwnd, id, class, text, visible, enabled, parent (+ checked, items,
        selected, pos by kind)."""
        return self.driver("controls", window)

    def control(self, window, text=None, window_class=None):
        """The one child window with that text (and class)."""
        matches = [c for c in self.controls(window)
                   if (text is None or c["text"] == text)
                   and (window_class is None or c["class"] == window_class)]
        if len(matches) != 1:
            raise RigError(f"{len(matches)} controls match text={text!r} class={window_class!r}")
        return matches[0]

    def click(self, window, button_text):
        self.driver("click", window, button_text)

    def click_id(self, window, control_id):
        self.driver("click-id", window, control_id)

    def set_text(self, window, control, text):
        """`control`: an id or Class#n (1-based)."""
        self.driver("set-text", window, control, text)

    def select(self, window, control, item):
        self.driver("select", window, control, item)

    def get_text(self, hwnd):
        return self.driver("get-text", hwnd)[0]["text"]

    def statusbar(self, window):
        """The panel texts of the window's status bar."""
        return self.driver("statusbar", window)[0]["panels"]

    def trackbars(self, window):
        return self.driver("trackbar", window)

    def listview(self, window):
        """rows (lists of cell texts) and selected (row numbers) of the window's list view."""
        return self.driver("listview", window)[0]

    def msgboxes(self):
        """Open message boxes: hwnd, owner, title, text, buttons [{id, text}]."""
        return self.driver("msgbox")

    def wait_msgbox(self, timeout=5.0, title=None):
        def find():
            boxes = [b for b in self.msgboxes() if title is None or b["title"] == title]
            return boxes[0] if boxes else None
        return self.wait_until(find, timeout, what="a message box")

    def answer(self, box, button_id):
        self.driver("answer", box["hwnd"] if isinstance(box, dict) else box, button_id)

    def close(self, window):
        self.driver("close", window)

    def minimize(self, window):
        self.driver("minimize", window)

    def restore(self, window):
        self.driver("restore", window)

    def menu(self, window, entry):
        """`entry`: a caption, or a position "menu#/entry#" (Wine can't read another
        process's menus, so under Wine only positions work)."""
        self.driver("menu", window, entry)

    def popup(self, entry_number):
        """Chooses entry `entry_number` (from 1) of the open shortcut menu."""
        self.driver("popup", entry_number)

    def hide(self, window):
        self.driver("hide", window)

    def right_click_row(self, window, row):
        """A right click on row `row` (from 0) of the window's list view, the pointer there."""
        self.driver("right-click-row", window, row)

    def post(self, window, message, wparam=0, lparam=0):
        self.driver("post", window, message, wparam, lparam)

    # --- registry, screen, sound, network ----------------------------------------------

    def registry(self, key=SETTINGS_KEY):
        """{subkey: {name: value}} below `key` ("" is the key itself); {} when it is missing.
        Strings are str, DWORDs int, anything else the raw text after the '='."""
        export = self.environment.tmp / "export.reg"
        export.unlink(missing_ok=True)
        code, _, _ = self.environment.wine(["reg", "export", key, _windows_path(export), "/y"])
        if code != 0 or not export.exists():
            return {}
        return parse_reg(export.read_bytes().decode("utf-16"), key)

    def settings(self):
        """The program's saved recording settings (section StartUp)."""
        return self.registry().get("StartUp", {})

    def write_settings(self, values, section="StartUp"):
        """Stores string settings as the program would, before it starts."""
        lines = ["Windows Registry Editor Version 5.00", "",
                 "[" + _long_key(SETTINGS_KEY) + "\\" + section + "]"]
        for name, value in values.items():
            lines.append(f'"{_reg_escape(name)}"="{_reg_escape(str(value))}"')
        path = self.environment.tmp / "import.reg"
        path.write_bytes(("\r\n".join(lines) + "\r\n").encode("utf-16"))
        code, _, err = self.environment.wine(["reg", "import", _windows_path(path)])
        if code != 0:
            raise RigError("reg import failed: " + err.decode("utf-8", "replace"))

    def screenshot(self, label):
        """Saves the whole screen as build/e2e-artifacts/<test>-<label>.png."""
        path = ARTIFACTS / f"{self.name}-{label}.png"
        subprocess.run(["import", "-display", self.env["DISPLAY"], "-window", "root", str(path)],
                       env=self.env, check=True, capture_output=True)
        return path

    def play(self, wav, wait=True):
        """Plays a WAV file into the null sink, where the program's capture hears it.

        A new stream loses its first few dozen frames in PulseAudio, so what is played is a
        copy with a tenth of a second of silence in front: every frame of the file itself
        reaches the sink."""
        padded = self.environment.tmp / f"play-{time.monotonic_ns()}.wav"
        with wave.open(str(wav), "rb") as source, wave.open(str(padded), "wb") as target:
            target.setparams(source.getparams())
            silence = source.getframerate() // 10 * source.getnchannels() * source.getsampwidth()
            target.writeframes(bytes(silence) + source.readframes(source.getnframes()))
        args = ["paplay", "--device=nullsink", str(padded)]
        if wait:
            subprocess.run(args, env=self.env, check=True)
            return None
        return subprocess.Popen(args, env=self.env)

    def set_hosts(self, lines):
        """The namespace's /etc/hosts: the defaults plus `lines` ("127.0.0.1 name")."""
        # Written in place: the bind mount follows the file, not its name.
        with open(self.environment.hosts, "w") as hosts:
            hosts.write(DEFAULT_HOSTS + "".join(line + "\n" for line in lines))

    def serve(self, pages=None):
        """Starts a web server on 127.0.0.1:80 serving `pages` ({path: html}); its
        `requests` list records the paths asked for."""
        self.stop_server()
        server = ThreadingHTTPServer(("127.0.0.1", 80), _PageHandler)
        server.daemon_threads = True
        server.pages = dict(pages or {"/": "<html><body>ok</body></html>"})
        server.requests = []
        threading.Thread(target=server.serve_forever, daemon=True).start()
        self.server = server
        return server

    def stop_server(self):
        if self.server:
            self.server.shutdown()
            self.server.server_close()
            self.server = None

    def online(self, pages=None):
        """Makes the connectivity test and the portal answer from 127.0.0.1."""
        self.set_hosts(["127.0.0.1 " + " ".join(ONLINE_HOSTS)])
        return self.serve(pages)

    def teardown(self, failed):
        """Ends what the test left running. After a failure, or when windows are left open,
        every Wine process of the prefix is ended so the next test starts clean."""
        leftovers = failed
        for program in self.programs:
            if program.running():
                leftovers = True
                program.process.kill()
                program.wait(5)
            program.log.close()
        if not leftovers:
            leftovers = bool(self.driver("windows", "--visible", check=False))
        if leftovers:
            self.environment.wine_kill()
        self.stop_server()
        self.set_hosts([])


def _windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


def _long_key(key):
    return key.replace("HKCU\\", "HKEY_CURRENT_USER\\", 1)


def _reg_escape(text):
    return text.replace("\\", "\\\\").replace('"', '\\"')


def _reg_value(text):
    if text.startswith('"') and text.endswith('"'):
        out, i, body = [], 0, text[1:-1]
        while i < len(body):
            if body[i] == "\\" and i + 1 < len(body):
                i += 1
            out.append(body[i])
            i += 1
        return "".join(out)
    if text.startswith("dword:"):
        return int(text[6:], 16)
    return text


def parse_reg(text, key):
    """Parses a .reg export into {subkey relative to key: {name: value}}."""
    base = _long_key(key).lower()
    result, current, pending = {}, None, ""
    for raw in text.splitlines():
        line = pending + raw.strip()
        pending = ""
        if line.endswith("\\") and "=" in line and not line.endswith('\\"'):
            pending = line[:-1]  # a hex value continued on the next line
            continue
        if line.startswith("[") and line.endswith("]"):
            name = line[1:-1]
            relative = name[len(base):].lstrip("\\") if name.lower().startswith(base) else None
            current = result.setdefault(relative, {}) if relative is not None else None
        elif current is not None and "=" in line:
            if line.startswith("@="):
                name, value = "", line[2:]
            else:
                end = 1
                while end < len(line) and line[end] != '"':
                    end += 2 if line[end] == "\\" else 1
                name, value = _reg_value(line[:end + 1]), line[end + 2:]
            current[name] = _reg_value(value)
    return result
