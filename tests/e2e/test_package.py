"""What a user downloads (scripts/package, build/dist/): the installer, run silently, installs
for this user alone, starts, upgrades and uninstalls without touching the user's plans,
stations and recordings; the portable zip runs from a folder whose path has a blank and
Chinese characters, and records there."""

import subprocess
import time
import zipfile

from rig import ROOT, RigError
import test_recording
from test_startup_offline import desktop_shortcuts, offline_window
import wavtools

DIST = ROOT / "build" / "dist"
VERSION = "5.2.15"
PRODUCT = "星澜网络收音机"
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Sonorin"


def artefact(suffix):
    path = DIST / f"Sonorin-{VERSION}-{suffix}"
    if not path.exists():
        raise RigError(f"{path} is missing: run scripts/package")
    return path


def user_folder(rig):
    return next(rig.environment.drive_c.glob("users/*/AppData")).parent


def install_folder(rig):
    return user_folder(rig) / "AppData" / "Local" / "Programs" / "Sonorin"


def start_menu_entry(rig):
    return (user_folder(rig) / "AppData" / "Roaming" / "Microsoft" / "Windows" / "Start Menu"
            / "Programs" / f"{PRODUCT}.lnk")


def uninstall_entry(rig):
    return rig.registry(UNINSTALL_KEY).get("", {})


def clean_install(rig):
    """No earlier install: folder, Start-menu entry and uninstall entry gone."""
    folder = install_folder(rig)
    if folder.exists():
        for path in sorted(folder.rglob("*"), reverse=True):
            path.rmdir() if path.is_dir() else path.unlink()
        folder.rmdir()
    start_menu_entry(rig).unlink(missing_ok=True)
    rig.environment.wine(["reg", "delete", UNINSTALL_KEY, "/f"])


def install(rig):
    code, _, err = rig.environment.wine([artefact("setup.exe"), "/S"], timeout=60)
    assert code == 0, f"the installer failed ({code}): {err.decode('utf-8', 'replace')}"
    return install_folder(rig)


def uninstall(rig, folder):
    """Runs the uninstaller as Apps & features would, silently. It hands over to a copy of
    itself and returns at once, so wait for its work."""
    code, _, _ = rig.environment.wine([folder / "uninstall.exe", "/S"], timeout=60)
    assert code == 0, f"the uninstaller failed ({code})"
    rig.wait_until(lambda: not (folder / "uninstall.exe").exists() and not uninstall_entry(rig),
                   20, what="the uninstaller to finish")
    time.sleep(0.5)  # its last deletions


def test_silent_install_puts_program_menu_entry_and_uninstall_entry_in_place(rig):
    clean_install(rig)
    folder = install(rig)
    assert (folder / "sonorin.exe").read_bytes() == (ROOT / "build/windows/sonorin.exe") \
        .read_bytes()
    assert (folder / "uninstall.exe").exists()
    for name in ("help.txt", "stations.m3u"):  # shipped when the build has them
        if (ROOT / "res" / name).exists():
            assert (folder / name).exists(), f"{name} was not installed"
    assert start_menu_entry(rig).exists(), "no Start-menu entry"

    entry = uninstall_entry(rig)
    assert entry.get("DisplayName") == PRODUCT, entry
    assert entry.get("DisplayVersion") == VERSION, entry
    windows_folder = "C:" + str(folder).split("drive_c", 1)[1].replace("/", "\\")
    assert entry.get("InstallLocation", "").lower() == windows_folder.lower(), entry
    assert entry.get("UninstallString", "").lower() == \
        f'"{windows_folder}\\uninstall.exe"'.lower(), entry
    assert entry.get("NoModify") == 1 and entry.get("EstimatedSize", 0) > 0, entry

    # Started as the menu entry starts it: it makes its recordings folder and its shortcut
    # beside and for the installed copy, which needs no administrator to be writable.
    program = rig.launch(folder / "sonorin.exe")
    window = offline_window(rig, timeout=10)
    rig.screenshot("installed")
    assert (folder / "录音文件").is_dir(), "the installed program made no recordings folder"
    shortcuts = desktop_shortcuts(rig)
    assert len(shortcuts) == 1, "the installed program made no desktop shortcut"
    assert "Sonorin\\sonorin.exe".encode("utf-16-le") in shortcuts[0].read_bytes()

    # The running copy holds its executable: a silent install over it gives up, untouched.
    code, _, _ = rig.environment.wine([artefact("setup.exe"), "/S"], timeout=60)
    assert code != 0, "the installer reported success over a running program"
    assert program.running()
    rig.close(window["hwnd"])
    assert program.wait(10) == 0
    rig.environment.wine_kill()
    clean_install(rig)


test_silent_install_puts_program_menu_entry_and_uninstall_entry_in_place.timeout = 150


def test_upgrade_and_silent_uninstall_keep_plans_stations_and_recordings(rig):
    clean_install(rig)
    folder = install(rig)
    kept = {
        folder / "RadioTime.ini": "8:00:00\t9:00:00\t中文环球\r\n".encode("gbk"),
        folder / "stations.m3u": "#EXTM3U\r\n#EXTINF:-1,我的电台\r\nhttp://127.0.0.1/s\r\n"
        .encode("utf-8"),
        folder / "录音文件" / "早间 新闻.wav": b"RIFF recorded by the user",
    }
    (folder / "录音文件").mkdir(exist_ok=True)
    for path, data in kept.items():
        path.write_bytes(data)
    (folder / "sonorin.exe").write_bytes(b"an older version")

    install(rig)  # the upgrade
    assert (folder / "sonorin.exe").read_bytes() != b"an older version", "not upgraded"
    for path, data in kept.items():
        assert path.read_bytes() == data, f"the upgrade changed {path.name}"

    # The desktop shortcut the installed program makes goes with it.
    program = rig.launch(folder / "sonorin.exe")
    window = offline_window(rig, timeout=10)
    rig.close(window["hwnd"])
    assert program.wait(10) == 0
    assert desktop_shortcuts(rig), "the program made no desktop shortcut"
    rig.environment.wine_kill()

    uninstall(rig, folder)
    assert not (folder / "sonorin.exe").exists(), "the program is still there"
    assert not start_menu_entry(rig).exists(), "the Start-menu entry is still there"
    assert not desktop_shortcuts(rig), "the program's desktop shortcut is still there"
    assert uninstall_entry(rig) == {}
    for path, data in kept.items():
        assert path.read_bytes() == data, f"the uninstall removed or changed {path.name}"
    assert sorted(p.name for p in folder.iterdir()) == sorted(
        ["RadioTime.ini", "stations.m3u", "录音文件"])


test_upgrade_and_silent_uninstall_keep_plans_stations_and_recordings.timeout = 150


def test_portable_zip_runs_and_records_in_a_folder_with_blank_and_chinese_path(rig):
    place = rig.folder / "我的 收音机"
    with zipfile.ZipFile(artefact("portable.zip")) as archive:
        names = archive.namelist()
        assert "Sonorin/sonorin.exe" in names, names
        for name in ("help.txt", "stations.m3u"):  # shipped when the build has them
            if (ROOT / "res" / name).exists():
                assert f"Sonorin/{name}" in names, names
        archive.extractall(place)
    folder = place / "Sonorin"

    rig.online()
    tone = rig.folder / "tone.wav"
    played = wavtools.write_tone(tone, 1.5)
    program = rig.launch(folder / "sonorin.exe")
    main = rig.main_window(timeout=10)
    assert (folder / "录音文件").is_dir()
    test_recording.wait_indicator(rig, main, "停止")
    rig.click(main["hwnd"], "录音")
    test_recording.wait_indicator(rig, main, "正在录音")
    time.sleep(0.3)
    rig.play(tone)
    time.sleep(0.3)
    rig.click(main["hwnd"], "停止")

    dialog = rig.wait_window("保存录音文件", timeout=10)
    box = test_recording.save_dialog_file_box(rig, dialog)
    target = "C:\\e2e\\" + rig.name + "\\我的 收音机\\Sonorin\\录音文件\\便携 录音.wav"
    rig.set_text(dialog["hwnd"], box["id"], target)
    rig.click_id(dialog["hwnd"], 1)
    recordings = folder / "录音文件"
    rig.wait_until(lambda: any(p.stat().st_size > 44 for p in recordings.glob("*.wav")), 10,
                   what="the saved take")
    time.sleep(0.6)  # Wine's winmm dislikes a close right after a stop
    # A name with a blank is saved under its short form and gets its long name at exit.
    assert rig.stop(program, main["hwnd"]) == 0
    saved = recordings / "便携 录音.wav"
    assert [p.name for p in recordings.iterdir()] == [saved.name]
    found = wavtools.matching_frames(wavtools.read_wav(saved)[3], played)
    assert found >= len(played) * 0.9, f"only {found} of {len(played)} frames were recorded"


test_portable_zip_runs_and_records_in_a_folder_with_blank_and_chinese_path.timeout = 150


def test_uninstall_with_the_box_ticked_removes_the_users_files_too(rig):
    clean_install(rig)
    folder = install(rig)
    (folder / "录音文件").mkdir()
    (folder / "录音文件" / "录音.wav").write_bytes(b"RIFF")
    (folder / "RadioTime.ini").write_bytes(b"8:00:00\t9:00:00\tx\r\n")

    uninstaller = subprocess.Popen(["wine", str(folder / "uninstall.exe")], env=rig.env,
                                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
    try:
        title = f"{PRODUCT} {VERSION} 卸载"  # the page's own subtitle may follow
        page = rig.wait_until(lambda: [w for w in rig.windows(window_class="#32770")
                                       if w["caption"].startswith(title)], 10,
                              what="the uninstaller")[0]
        rig.click_id(page["hwnd"], 1)  # past the confirmation page to the choice
        tree = rig.wait_until(lambda: [c for c in rig.controls(page["hwnd"])
                                       if c["class"] == "SysTreeView32" and c["visible"]],
                              5, what="the list of what to remove")[0]
        rig.screenshot("choice")
        rig.post(tree["hwnd"], 0x0100, 0x20)  # WM_KEYDOWN, space: ticks the selected box
        time.sleep(0.3)
        rig.click_id(page["hwnd"], 1)  # 卸载
        rig.wait_until(lambda: not folder.exists(), 20, what="the folder to go")
    finally:
        uninstaller.kill()
        rig.environment.wine_kill()
    assert not start_menu_entry(rig).exists() and uninstall_entry(rig) == {}


test_uninstall_with_the_box_ticked_removes_the_users_files_too.timeout = 120
