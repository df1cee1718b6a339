"""A real SMTP server for the mail tests and the benchmark: aiosmtpd on 127.0.0.1.

Usage: smtpsink.py FOLDER          prints the port it listens on as the first line of its
                                   output, then serves until its input closes
       smtpsink.py --start FOLDER  empties FOLDER, serves in the background until --stop, and
                                   writes the port to FOLDER/port once it listens
       smtpsink.py --stop FOLDER   ends the server started on FOLDER
The background server is for programs that cannot start this one themselves (the Windows tests
under Wine). Every message that arrives is stored in FOLDER as N.eml (the bytes as received, dot
transparency undone by the server) and N.json (the envelope, the HELO name, and the message as
Python's email package reads it: decoded headers, the decoded body text, and every defect the
parser found).
"""

import asyncio
import json
import os
import signal
import subprocess
import sys
import time
from email import message_from_bytes, policy

from aiosmtpd.smtp import SMTP


class Store:
    def __init__(self, folder):
        self.folder = folder
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.folder, str(self.count))
        raw = envelope.content
        msg = message_from_bytes(raw, policy=policy.default)
        info = {
            "helo": session.host_name,
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "subject": str(msg["Subject"]) if msg["Subject"] is not None else None,
            "from_name": msg["From"].addresses[0].display_name if msg["From"] else None,
            "from_addr": msg["From"].addresses[0].addr_spec if msg["From"] else None,
            "to": [[a.display_name, a.addr_spec] for a in msg["To"].addresses] if msg["To"] else [],
            "content_type": msg.get_content_type(),
            "charset": msg.get_content_charset(),
            "cte": msg.get("Content-Transfer-Encoding"),
            "body": msg.get_content().replace("\r\n", "\n"),
            "date": msg["Date"].datetime.isoformat() if msg["Date"] is not None else None,
            "message_id": str(msg["Message-ID"]) if msg["Message-ID"] is not None else None,
            # The message's own defects and those of every header field.
            "defects": [type(d).__name__ for d in msg.defects]
            + [type(d).__name__ for v in msg.values() for d in getattr(v, "defects", ())],
        }
        with open(base + ".eml", "wb") as f:
            f.write(raw)
        # Written last and renamed into place: its presence means the message is complete.
        with open(base + ".json.tmp", "w", encoding="utf-8") as f:
            json.dump(info, f, ensure_ascii=False)
        os.replace(base + ".json.tmp", base + ".json")
        return "250 OK: message accepted"


async def serve(folder, announce, until):
    loop = asyncio.get_running_loop()
    store = Store(folder)
    server = await loop.create_server(
        lambda: SMTP(store, hostname="sink.test"), host="127.0.0.1", port=0)
    announce(server.sockets[0].getsockname()[1])
    await until(loop)
    server.close()


def announce_on_stdout(port):
    print(port, flush=True)


async def until_input_closes(loop):
    await loop.run_in_executor(None, sys.stdin.read)


def announce_in_folder(folder):
    def announce(port):
        with open(os.path.join(folder, "port.tmp"), "w") as f:
            f.write(str(port))
        os.replace(os.path.join(folder, "port.tmp"), os.path.join(folder, "port"))
    return announce


async def until_terminated(loop):
    stop = asyncio.Event()
    loop.add_signal_handler(signal.SIGTERM, stop.set)
    await stop.wait()


def start_in_background(folder):
    stop_background(folder)
    os.makedirs(folder, exist_ok=True)
    for name in os.listdir(folder):
        os.remove(os.path.join(folder, name))
    # The server holds none of our caller's output open: a test runner waits for those to close.
    with open(os.path.join(folder, "server.log"), "w") as log:
        child = subprocess.Popen(
            [sys.executable, __file__, "--serve", folder], start_new_session=True,
            stdin=subprocess.DEVNULL, stdout=log, stderr=log)
    with open(os.path.join(folder, "pid"), "w") as f:
        f.write(str(child.pid))
    deadline = time.monotonic() + 20
    while not os.path.exists(os.path.join(folder, "port")):
        if child.poll() is not None or time.monotonic() > deadline:
            child.kill()
            sys.exit("the mail server did not start")
        time.sleep(0.05)


def stop_background(folder):
    try:
        with open(os.path.join(folder, "pid")) as f:
            pid = int(f.read())
    except (OSError, ValueError):
        return
    try:
        os.kill(pid, signal.SIGTERM)
        deadline = time.monotonic() + 5
        while time.monotonic() < deadline:
            os.kill(pid, 0)
            time.sleep(0.05)
        os.kill(pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
    os.remove(os.path.join(folder, "pid"))


if __name__ == "__main__":
    if sys.argv[1] == "--start":
        start_in_background(sys.argv[2])
    elif sys.argv[1] == "--stop":
        stop_background(sys.argv[2])
    elif sys.argv[1] == "--serve":
        asyncio.run(serve(sys.argv[2], announce_in_folder(sys.argv[2]), until_terminated))
    else:
        asyncio.run(serve(sys.argv[1], announce_on_stdout, until_input_closes))
