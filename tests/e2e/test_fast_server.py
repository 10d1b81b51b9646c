"""A station server that sends an endless MP3 as fast as the loopback carries it: the program
plays it in real time, reads no faster than it plays, and its memory stays flat."""

import socket
import subprocess
import threading
import time

from test_on_air import follow
from test_radio import station_list

PORT = 8020


def private_dirty_kb(pid):
    with open(f"/proc/{pid}/smaps_rollup") as rollup:
        return sum(int(line.split()[1]) for line in rollup if line.startswith("Private_Dirty:"))


class FastServer:
    """Answers every connection with an ICY-less MP3 stream that never ends, written as fast
    as the client takes it; counts the bytes taken."""

    def __init__(self, seconds=1):
        # Each pass of the file starts and ends with the encoder's padding: a short gap in the
        # tone every `seconds`.
        self.second = subprocess.run(
            ["ffmpeg", "-nostdin", "-loglevel", "error", "-f", "lavfi", "-i",
             "sine=frequency=440:sample_rate=44100", "-t", str(seconds), "-ac", "2",
             "-c:a", "libmp3lame",
             "-b:a", "128k", "-id3v2_version", "0", "-write_xing", "0", "-f", "mp3", "-"],
            check=True, capture_output=True).stdout
        self.sent = 0
        self.listener = socket.create_server(("127.0.0.1", PORT))
        threading.Thread(target=self.accept, daemon=True).start()

    def accept(self):
        while True:
            try:
                client, _ = self.listener.accept()
            except OSError:
                return
            threading.Thread(target=self.stream, args=(client,), daemon=True).start()

    def stream(self, client):
        with client:
            try:
                client.recv(65536)
                client.sendall(b"HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\n\r\n")
                while True:
                    client.sendall(self.second)
                    self.sent += len(self.second)
            except OSError:
                pass

    def close(self):
        self.listener.close()


def test_an_endless_stream_sent_at_full_speed_is_read_as_it_plays(rig):
    server = FastServer()
    try:
        rig.online()
        program = rig.start(files=[("stations.m3u",
                                    station_list(f"http://127.0.0.1:{PORT}/live.mp3"))])
        main = rig.main_window()
        # The sender takes a core of its own: on a busy machine the start comes late.
        follow(rig, main, "正在播放", "正在收听：中文环球 · 正在播放", 40, "playing")
        time.sleep(5)  # past the start, its buffers filled
        memory = private_dirty_kb(program.process.pid)
        time.sleep(30)
        grown = private_dirty_kb(program.process.pid) - memory
        print(f"in 30 s: memory {grown:+d} KiB; in all {server.sent / 2**20:.1f} MiB taken "
              f"(at full speed the loopback carries gigabytes)")
        assert grown < 4096, grown
        # What the socket buffers and the player's read-ahead hold, no more.
        assert server.sent < 16 * 2**20, server.sent
        code = rig.stop(program, main["hwnd"])
        assert code == 0, f"exit code {code:#x}"
    finally:
        server.close()


test_an_endless_stream_sent_at_full_speed_is_read_as_it_plays.timeout = 120
