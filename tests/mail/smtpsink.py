"""A real SMTP server for the mail tests and the benchmark: aiosmtpd on 127.0.0.1.

Usage: smtpsink.py FOLDER
Prints the port it listens on as the first line of its output, then serves until its input
closes. Every message that arrives is stored in FOLDER as N.eml (the bytes as received, dot
transparency undone by the server) and N.json (the envelope, the HELO name, and the message as
Python's email package reads it: decoded headers, the decoded body text, and every defect the
parser found).
"""

import asyncio
import json
import os
import sys
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


async def main(folder):
    loop = asyncio.get_running_loop()
    store = Store(folder)
    server = await loop.create_server(
        lambda: SMTP(store, hostname="sink.test"), host="127.0.0.1", port=0)
    print(server.sockets[0].getsockname()[1], flush=True)
    # Serve until whoever started us closes our input.
    await loop.run_in_executor(None, sys.stdin.read)
    server.close()


if __name__ == "__main__":
    asyncio.run(main(sys.argv[1]))
