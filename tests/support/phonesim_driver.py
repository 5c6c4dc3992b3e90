"""The phone simulator (tools/phonesim) for tests written in Python, as
phonesim_driver.h is for the C++ ones: a phone on a pseudo-terminal linked
as comN into a ports folder, its control channel and its traffic log."""

import os
import socket
import subprocess
import time


class PhoneSim:
    def __init__(self, build_dir, ports_dir, port=1, options=()):
        self.link = os.path.join(ports_dir, "com%d" % port)
        self.control_path = self.link + ".control"
        self.log_path = self.link + ".log"
        self.process = subprocess.Popen(
            [os.path.join(build_dir, "tools", "phonesim", "phonesim"), *options,
             "--ports", ports_dir, "--port", str(port), "--control", self.control_path,
             "--log", self.log_path, "--exit-with-parent"],
            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        ready = self.process.stdout.readline()
        if not ready.startswith("ready "):
            raise AssertionError("phonesim did not start: " + ready)

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(timeout=5)

    def control(self, line):
        """Sends one control line; True when the simulator answered OK."""
        with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as channel:
            channel.settimeout(5)
            channel.connect(self.control_path)
            channel.sendall(line.encode() + b"\n")
            answer = b""
            while not (answer.endswith(b"OK\n") or b"ERROR" in answer):
                chunk = channel.recv(1024)
                if not chunk:
                    break
                answer += chunk
        return answer.strip().split(b"\n")[-1] == b"OK"

    def received(self):
        """Command lines that reached the phone, in order."""
        try:
            with open(self.log_path, encoding="latin-1") as log:
                lines = log.read().splitlines()
        except FileNotFoundError:
            return []
        return [line.split(" RX ", 1)[1] for line in lines if " RX " in line]

    def wait_for_command(self, prefix, timeout, count=1):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if sum(1 for c in self.received() if c.startswith(prefix)) >= count:
                return True
            time.sleep(0.05)
        return False
