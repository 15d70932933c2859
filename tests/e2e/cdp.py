#!/usr/bin/env python3
"""Drives a headless Chromium through its DevTools protocol, with a WebSocket
client of a few lines instead of a library.

Usage: cdp.py PROFILE-DIR URL COMMAND...
Commands, run in order after the page has loaded:
  wait-text ID TEXT      until the element ID's text is TEXT (10 s at most)
  press LABEL            a real mouse press and release on the button named LABEL
Exits 1 with a reason when a step fails.
"""
import base64
import json
import os
import socket
import struct
import subprocess
import sys
import time
import urllib.request


class Socket:
    def __init__(self, url):
        rest = url.split("://", 1)[1]
        hostport, path = rest.split("/", 1)
        host, port = hostport.rsplit(":", 1)
        self.sock = socket.create_connection((host, int(port)), timeout=20)
        key = base64.b64encode(os.urandom(16)).decode()
        self.sock.sendall((f"GET /{path} HTTP/1.1\r\nHost: {hostport}\r\nUpgrade: websocket\r\n"
                           f"Connection: Upgrade\r\nSec-WebSocket-Key: {key}\r\n"
                           "Sec-WebSocket-Version: 13\r\n\r\n").encode())
        head = b""
        while b"\r\n\r\n" not in head:
            head += self.sock.recv(1)
        if b" 101 " not in head.split(b"\r\n", 1)[0]:
            raise SystemExit(f"DevTools refused the WebSocket: {head!r}")
        self.next_id = 0

    def _recv_exact(self, n):
        data = b""
        while len(data) < n:
            chunk = self.sock.recv(n - len(data))
            if not chunk:
                raise SystemExit("DevTools closed the connection")
            data += chunk
        return data

    def send(self, method, **params):
        self.next_id += 1
        payload = json.dumps({"id": self.next_id, "method": method, "params": params}).encode()
        mask = os.urandom(4)
        n = len(payload)
        head = b"\x81" + (bytes([0x80 | n]) if n < 126 else bytes([0x80 | 126]) + struct.pack(">H", n))
        self.sock.sendall(head + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(payload)))
        while True:
            message = self._read_message()
            if message.get("id") == self.next_id:
                if "error" in message:
                    raise SystemExit(f"{method} failed: {message['error']}")
                return message.get("result", {})

    def _read_message(self):
        data = b""
        while True:
            b0, b1 = self._recv_exact(2)
            n = b1 & 0x7F
            if n == 126:
                n = struct.unpack(">H", self._recv_exact(2))[0]
            elif n == 127:
                n = struct.unpack(">Q", self._recv_exact(8))[0]
            data += self._recv_exact(n)
            if b0 & 0x80:
                return json.loads(data) if (b0 & 0x0F) in (1, 0) else {}


def evaluate(ws, expression):
    result = ws.send("Runtime.evaluate", expression=expression, returnByValue=True)
    return result.get("result", {}).get("value")


def main():
    profile, url, commands = sys.argv[1], sys.argv[2], sys.argv[3:]
    port_file = os.path.join(profile, "DevToolsActivePort")
    # A port an earlier run left behind is closed now.
    if os.path.exists(port_file):
        os.remove(port_file)
    browser = subprocess.Popen(
        ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
         "--no-first-run", "--disable-background-networking", "--disable-component-update",
         "--disable-sync", "--remote-debugging-port=0", f"--user-data-dir={profile}",
         "about:blank"],
        stdout=subprocess.DEVNULL, stderr=open(os.path.join(profile, "chromium.log"), "w"))
    try:
        for _ in range(300):
            if os.path.exists(port_file) and open(port_file).read().strip():
                break
            time.sleep(0.1)
        else:
            raise SystemExit("Chromium did not open its DevTools port")
        port = open(port_file).read().split()[0]
        targets = json.load(urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list", timeout=10))
        page = next(t for t in targets if t.get("type") == "page")
        ws = Socket(page["webSocketDebuggerUrl"])
        ws.send("Page.enable")
        ws.send("Page.navigate", url=url)
        for _ in range(200):
            if evaluate(ws, "document.readyState") == "complete":
                break
            time.sleep(0.05)
        i = 0
        while i < len(commands):
            if commands[i] == "wait-text":
                element, text = commands[i + 1], commands[i + 2]
                i += 3
                seen = None
                for _ in range(200):
                    seen = evaluate(ws, f"(document.getElementById({json.dumps(element)}) || {{}}).textContent")
                    if seen == text:
                        break
                    time.sleep(0.05)
                else:
                    raise SystemExit(f"#{element} reads {seen!r}, not {text!r}")
            elif commands[i] == "press":
                label = commands[i + 1]
                i += 2
                box = evaluate(ws, "(() => { const b = document.querySelector("
                                   f"'button[aria-label=\"{label}\"]'); if (!b) return null;"
                                   " const r = b.getBoundingClientRect();"
                                   " return [r.x + r.width / 2, r.y + r.height / 2]; })()")
                if not box:
                    raise SystemExit(f"no button named {label!r}")
                for kind in ("mousePressed", "mouseReleased"):
                    ws.send("Input.dispatchMouseEvent", type=kind, x=box[0], y=box[1],
                            button="left", clickCount=1)
            else:
                raise SystemExit(f"unknown command {commands[i]!r}")
    finally:
        browser.terminate()
        try:
            browser.wait(10)
        except subprocess.TimeoutExpired:
            browser.kill()


if __name__ == "__main__":
    main()
