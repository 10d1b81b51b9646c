"""What the program loads: libraries that only some user actions need stay out of the import
table and out of the process until those actions happen."""

import subprocess
import time

from rig import PROGRAM, RigError
from test_startup_offline import desktop_shortcuts, offline_window

# Loaded on first use only: the common dialogs (they pull in the printing system), the Script
# Host, and the HTML engine with the browser control.
LATE = ["comdlg32.dll", "winspool.drv", "wshom.ocx", "scrrun.dll", "mshtml.dll", "ieframe.dll"]


def imported_dlls(exe):
    dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", str(exe)], check=True,
                          capture_output=True, text=True).stdout
    return {line.split("DLL Name:")[1].strip().lower()
            for line in dump.splitlines() if "DLL Name:" in line}


def loaded_dlls(program):
    """The Windows DLLs mapped into the program's process (Wine maps them from files)."""
    with open(f"/proc/{program.process.pid}/maps") as maps:
        return {line.rsplit("/", 1)[-1].strip().lower()
                for line in maps if line.rstrip().lower().endswith((".dll", ".drv", ".ocx"))}


def test_late_libraries_are_not_imported(rig):
    imports = imported_dlls(PROGRAM)
    assert "user32.dll" in imports, imports  # the dump was read
    assert not imports & set(LATE), f"imported at start-up: {sorted(imports & set(LATE))}"


def test_offline_start_loads_no_browser_dialogs_script_host_or_wininet(rig):
    # The first start makes the shortcut through the Script Host; the second finds it.
    first = rig.start()
    rig.stop(first, offline_window(rig)["hwnd"])
    assert len(desktop_shortcuts(rig)) == 1

    program = rig.start()
    window = offline_window(rig)
    # The monitor's first ticks load the settings dialog invisibly; the reconnect check runs.
    time.sleep(2.5)
    loaded = loaded_dlls(program)
    assert "user32.dll" in loaded and "winmm.dll" in loaded, sorted(loaded)
    assert not loaded & set(LATE), f"loaded: {sorted(loaded & set(LATE))}"
    # A host name that does not resolve is not handed to WinINet, neither at the start nor by
    # the reconnect check.
    assert "wininet.dll" not in loaded, sorted(loaded)
    rig.stop(program, window["hwnd"])


def test_online_start_without_an_html_engine_never_loads_one(rig):
    # This Wine has no Gecko: the pane shows the station page through its stand-in from the
    # start, and the browser control's libraries stay out of the process.
    rig.online({"/": "<html><body>ok</body></html>",
                "/radio": "<html><body><a href='#'>中文环球</a></body></html>"})
    program = rig.start()
    main = rig.main_window(timeout=10)

    def listed():
        boxes = [c for c in rig.controls(main["hwnd"]) if c["class"] == "ListBox"]
        # The start's automatic listen may have marked it playing ("▶ 中文环球") already.
        return boxes and any(i.endswith("中文环球") for i in boxes[0]["items"])
    rig.wait_until(listed, 5, what="the page's link in the stand-in pane")
    time.sleep(1)  # past the time a control would have been given to show a document
    loaded = loaded_dlls(program)
    engine = {"mshtml.dll", "ieframe.dll", "urlmon.dll"}
    assert "ws2_32.dll" in loaded and not loaded & engine, sorted(loaded)
    rig.stop(program, main["hwnd"])
