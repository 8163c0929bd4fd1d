#!/usr/bin/env python3
"""Runs the encoder for the quorlind.exe stand-in: Debian's ffmpeg, with the DirectShow
devices replaced by an X11 screen grab of the caller's display (the whole screen, or the
capture area from the registry) and a sound source (PulseAudio where a server answers,
otherwise a synthetic tone), Windows paths mapped to the Wine prefix, every other option as
given. Copy commands run as given with mapped paths. Output is relayed back, bytes from the
stand-in go to ffmpeg's standard input, and ffmpeg is killed when the stand-in goes away.

    standin_helper.py PORT      (listens on 127.0.0.1 only)
"""
import os
import re
import shutil
import signal
import socket
import socketserver
import struct
import subprocess
import sys
import threading

DESKTOP_DEVICE = "screen-capture-recorder"
running = set()  # the ffmpeg processes of open sessions, killed when the helper is stopped
running_lock = threading.Lock()


def split_command_line(line):
    """Splits a Windows command line as the C runtime does."""
    args, current, in_arg, in_quotes, slashes = [], [], False, False, 0
    for ch in line:
        if ch == "\\":
            slashes += 1
            in_arg = True
            continue
        if ch == '"':
            current.append("\\" * (slashes // 2))
            if slashes % 2:
                current.append('"')
            else:
                in_quotes = not in_quotes
            slashes = 0
            in_arg = True
            continue
        current.append("\\" * slashes)
        slashes = 0
        if ch in " \t" and not in_quotes:
            if in_arg:
                args.append("".join(current))
            current, in_arg = [], False
            continue
        current.append(ch)
        in_arg = True
    current.append("\\" * slashes)
    if in_arg:
        args.append("".join(current))
    return args


def unix_path(windows_path, prefix):
    """X:\\a\\b as Wine sees it: the drive's link in the prefix's dosdevices folder."""
    drive = windows_path[0].lower() + ":"
    rest = windows_path[3:].replace("\\", "/")
    link = os.path.join(prefix, "dosdevices", drive)
    root = os.path.realpath(link) if os.path.exists(link) else (
        os.path.join(prefix, "drive_c") if drive == "c:" else "/")
    return os.path.join(root, rest)


def sound_input():
    """PulseAudio when a server answers; otherwise a tone paced in real time."""
    if shutil.which("pactl") and subprocess.run(["pactl", "info"], stdout=subprocess.DEVNULL,
                                                stderr=subprocess.DEVNULL).returncode == 0:
        return ["-f", "pulse", "-i", "default"]
    return ["-re", "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000"]


def screen_input(display, area):
    if area is None:
        return ["-f", "x11grab", "-i", display]
    x, y, width, height = area
    return ["-f", "x11grab", "-video_size", "%dx%d" % (width, height),
            "-i", "%s+%d,%d" % (display, max(x, 0), max(y, 0))]


def ffmpeg_arguments(command, display, prefix, area):
    args = split_command_line(command)[1:]
    out = ["ffmpeg"]
    i = 0
    while i < len(args):
        arg = args[i]
        if arg == "-f" and args[i + 1:i + 3] == ["dshow", "-i"] and i + 3 < len(args):
            devices = dict(part.split("=", 1) for part in args[i + 3].split(":") if "=" in part)
            if devices.get("video") == DESKTOP_DEVICE:
                out += screen_input(display, area)
            if "audio" in devices:
                out += sound_input()
            i += 4
            continue
        if re.match(r"^[A-Za-z]:\\", arg) and prefix:
            arg = unix_path(arg, prefix)
        out.append(arg)
        i += 1
    return out


class Session(socketserver.StreamRequestHandler):
    def handle(self):
        if self.rfile.readline().strip() != b"QUORLIN-STANDIN 1":
            return
        fields = {}
        for raw in iter(self.rfile.readline, b""):
            line = raw.decode("utf-8", "replace").rstrip("\n")
            if not line:
                break
            key, _, value = line.partition(" ")
            fields[key] = value
        display = fields.get("display") or os.environ.get("DISPLAY", ":0")
        prefix = fields.get("prefix") or os.environ.get("WINEPREFIX", "")
        area = tuple(int(v) for v in fields["area"].split()) if "area" in fields else None
        argv = ffmpeg_arguments(fields.get("command", ""), display, prefix, area)
        env = dict(os.environ, DISPLAY=display)
        print("run: %s" % " ".join(argv), file=sys.stderr, flush=True)
        lock = threading.Lock()

        def send(kind, data):
            with lock:
                try:
                    self.wfile.write(kind + struct.pack(">I", len(data)) + data)
                    self.wfile.flush()
                except OSError:
                    pass

        try:
            ffmpeg = subprocess.Popen(argv, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                      stderr=subprocess.PIPE, env=env)
        except OSError as error:
            send(b"E", ("stand-in helper: %s\n" % error).encode())
            send(b"X", struct.pack(">i", 1))
            return

        with running_lock:
            running.add(ffmpeg)

        def relay(stream, kind):
            for chunk in iter(lambda: stream.read1(65536), b""):
                send(kind, chunk)

        def forward_input():
            # Bytes from the stand-in go to ffmpeg; the connection's end means the stand-in
            # is gone (terminated), so ffmpeg goes too.
            try:
                for chunk in iter(lambda: self.connection.recv(256), b""):
                    ffmpeg.stdin.write(chunk)
                    ffmpeg.stdin.flush()
            except OSError:
                pass
            if ffmpeg.poll() is None:
                ffmpeg.kill()

        relays = [threading.Thread(target=relay, args=(ffmpeg.stdout, b"O")),
                  threading.Thread(target=relay, args=(ffmpeg.stderr, b"E"))]
        for thread in relays:
            thread.start()
        threading.Thread(target=forward_input, daemon=True).start()
        for thread in relays:
            thread.join()
        code = ffmpeg.wait()
        with running_lock:
            running.discard(ffmpeg)
        send(b"X", struct.pack(">i", code if code >= 0 else 1))


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def stop(_signal, _frame):
    with running_lock:
        for process in running:
            process.kill()
    os._exit(0)


def main():
    port = int(sys.argv[1]) if len(sys.argv) > 1 else 47815
    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    with Server(("127.0.0.1", port), Session) as server:
        server.serve_forever()


if __name__ == "__main__":
    main()
