#!/usr/bin/env python3
"""A mail server on the loopback address for the mail tests.

Runs an SMTP server (aiosmtpd) on a free port and, with --pop, a small POP3 server whose login
opens the SMTP server to the address that logged in (POP-before-SMTP). Every login the SMTP or
POP server is offered, right or wrong, adds the user name as a line to --dir/logins.

With --misbehave STAGE it runs instead a bare SMTP server (no STARTTLS, no AUTH) that breaks off
the session on purpose:
  greeting     closes as soon as the client connects, without a greeting
  ehlo         closes on EHLO, MAIL or RCPT or DATA: on that command, without answering it
  mail, rcpt, data
  mid-data     closes once --drop-after bytes (default 1000) of the message have arrived
  end-of-data  takes the whole message (saved), then closes without answering it
  reject-data  takes the whole message, answers it with "554" and goes on (not saved)
  after-250    takes the whole message (saved), answers "250", then closes before QUIT
The bytes of message data a bare session took are written to --dir/data-bytes when it ends.

Every message accepted is written into --dir as msgN/: the raw message (raw.eml), the envelope
and the parts as the Python e-mail parser reads them (message.json), and each attachment's
decoded bytes (part-K).

Prints "READY <smtp port> <pop port or 0>" when listening, and stops when its standard input
closes or on SIGTERM.
"""

import argparse
import asyncio
import email
import email.policy
import json
import logging
import os
import signal
import socket
import ssl
import sys
import threading
import warnings

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword

pop_logins = set()  # peer addresses that logged in to the POP server
count_lock = threading.Lock()
count = [0]


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def save(folder, raw, envelope):
    with count_lock:
        count[0] += 1
        n = count[0]
    out = os.path.join(folder, "msg%d" % n)
    os.makedirs(out)
    with open(os.path.join(out, "raw.eml"), "wb") as f:
        f.write(raw)
    message = email.message_from_bytes(raw, policy=email.policy.default)
    parts = []
    for k, part in enumerate(message.walk()):
        if part.is_multipart():
            parts.append({"type": part.get_content_type()})
            continue
        payload = part.get_payload(decode=True) or b""
        name = "part-%d" % k
        with open(os.path.join(out, name), "wb") as f:
            f.write(payload)
        parts.append({
            "type": part.get_content_type(),
            "file": name,
            "filename": part.get_filename(),
            "content_id": part.get("Content-ID"),
            "disposition": part.get_content_disposition(),
            "encoding": part.get("Content-Transfer-Encoding"),
        })
    facts = dict(envelope)
    facts.update({
        "subject": str(message.get("Subject", "")),
        "from": str(message.get("From", "")),
        "to": str(message.get("To", "")),
        "has_bcc_header": "Bcc" in message,
        "content_type": message.get_content_type(),
        "parts": parts,
    })
    # Written whole, then renamed: a test that sees message.json never reads half of it.
    partial = os.path.join(out, "message.json.part")
    with open(partial, "w") as f:
        json.dump(facts, f, indent=1)
    os.replace(partial, os.path.join(out, "message.json"))


class Handler:
    def __init__(self, folder, pop_required):
        self.folder = folder
        self.pop_required = pop_required

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if self.pop_required and session.peer[0] not in pop_logins:
            return "530 5.7.1 Log in to the POP server first"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        login = session.auth_data.login.decode() if isinstance(session.auth_data, LoginPassword) else None
        save(self.folder, envelope.original_content or envelope.content, {
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "login": login,
            "tls": session.ssl is not None,
        })
        return "250 Message accepted for delivery"


def note_login(folder, user):
    with count_lock:
        with open(os.path.join(folder, "logins"), "a") as f:
            f.write(user + "\n")


def authenticator(folder, user, password):
    def check(server, session, envelope, mechanism, auth_data):
        if isinstance(auth_data, LoginPassword):
            note_login(folder, auth_data.login.decode(errors="replace"))
        ok = (isinstance(auth_data, LoginPassword) and auth_data.login.decode() == user
              and auth_data.password.decode() == password)
        return AuthResult(success=ok, handled=False, auth_data=auth_data if ok else None)
    return check


async def pop_session(reader, writer, folder, user, password):
    peer = writer.get_extra_info("peername")[0]
    given_user = None
    writer.write(b"+OK POP3 ready\r\n")
    while True:
        line = await reader.readline()
        if not line:
            break
        words = line.decode(errors="replace").strip().split(" ", 1)
        command = words[0].upper()
        argument = words[1] if len(words) > 1 else ""
        if command == "CAPA":
            writer.write(b"+OK\r\nUSER\r\n.\r\n")
        elif command == "USER":
            given_user = argument
            writer.write(b"+OK\r\n")
        elif command == "PASS":
            note_login(folder, given_user or "")
            if given_user == user and argument == password:
                pop_logins.add(peer)
                writer.write(b"+OK logged in\r\n")
            else:
                writer.write(b"-ERR wrong user name or password\r\n")
        elif command in ("NOOP", "STAT"):
            writer.write(b"+OK 0 0\r\n")
        elif command == "QUIT":
            writer.write(b"+OK bye\r\n")
            await writer.drain()
            break
        else:
            writer.write(b"-ERR not here\r\n")
        await writer.drain()
    writer.close()


async def misbehaving_session(reader, writer, folder, stage, drop_after):
    """A bare SMTP session that breaks off at the stage asked for."""
    taken = 0

    def hang_up():
        with open(os.path.join(folder, "data-bytes"), "w") as f:
            f.write(str(taken))
        # Abort: whatever the client still sends meets a reset, as from a server that died.
        writer.transport.abort()

    if stage == "greeting":
        hang_up()
        return
    writer.write(b"220 misbehaving ESMTP\r\n")
    mail_from, rcpt = None, []
    while True:
        line = await reader.readline()
        if not line:
            break
        command = line.decode(errors="replace").strip()
        upper = command.upper()
        verb = upper.split(" ", 1)[0].split(":", 1)[0]
        if (verb, stage) in (("EHLO", "ehlo"), ("HELO", "ehlo"), ("MAIL", "mail"), ("RCPT", "rcpt"),
                             ("DATA", "data")):
            hang_up()
            return
        if verb in ("EHLO", "HELO"):
            writer.write(b"250-misbehaving\r\n250 8BITMIME\r\n")
        elif verb == "MAIL":
            mail_from = command[10:].strip().strip("<>").split(">")[0]
            writer.write(b"250 OK\r\n")
        elif verb == "RCPT":
            rcpt.append(command[8:].strip().strip("<>"))
            writer.write(b"250 OK\r\n")
        elif verb == "DATA":
            writer.write(b"354 go ahead\r\n")
            await writer.drain()
            data = bytearray()
            while not data.endswith(b"\r\n.\r\n"):
                chunk = await reader.read(256 if stage == "mid-data" else 65536)
                if not chunk:
                    break
                data += chunk
                taken = len(data)
                if stage == "mid-data" and taken >= drop_after:
                    hang_up()
                    return
            body = bytes(data[:-5]).replace(b"\r\n..", b"\r\n.") + b"\r\n"
            if stage == "end-of-data":
                save(folder, body, {"mail_from": mail_from, "rcpt_tos": rcpt, "login": None, "tls": False})
                hang_up()
                return
            if stage == "reject-data":
                writer.write(b"554 5.6.0 Message refused\r\n")
            else:
                save(folder, body, {"mail_from": mail_from, "rcpt_tos": rcpt, "login": None, "tls": False})
                writer.write(b"250 Message accepted for delivery\r\n")
                if stage == "after-250":
                    await writer.drain()
                    hang_up()
                    return
        elif verb == "QUIT":
            writer.write(b"221 bye\r\n")
            await writer.drain()
            break
        else:
            writer.write(b"250 OK\r\n")
        await writer.drain()
    writer.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dir", required=True)
    parser.add_argument("--auth", help="USER:PASSWORD the SMTP server requires")
    parser.add_argument("--pop", help="USER:PASSWORD of a POP server that must be logged in to first")
    parser.add_argument("--misbehave", choices=["greeting", "ehlo", "mail", "rcpt", "data", "mid-data",
                                                "end-of-data", "reject-data", "after-250"])
    parser.add_argument("--drop-after", type=int, default=1000)
    parser.add_argument("--tls-cert")
    parser.add_argument("--tls-key")
    args = parser.parse_args()
    # Plain-text AUTH is what these tests exercise: the server's warnings about it are noise.
    warnings.simplefilter("ignore")
    logging.disable(logging.CRITICAL)

    loop = asyncio.new_event_loop()
    asyncio.set_event_loop(loop)
    stop = threading.Event()
    smtp_port, pop_port = free_port(), 0
    controller = None
    servers = []

    if args.misbehave:
        servers.append(loop.run_until_complete(asyncio.start_server(
            lambda r, w: misbehaving_session(r, w, args.dir, args.misbehave, args.drop_after),
            "127.0.0.1", smtp_port)))
    else:
        kwargs = {"auth_require_tls": False}
        if args.auth:
            user, password = args.auth.split(":", 1)
            kwargs.update(authenticator=authenticator(args.dir, user, password), auth_required=True)
        if args.tls_cert:
            context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
            context.load_cert_chain(args.tls_cert, args.tls_key)
            kwargs["tls_context"] = context
        controller = Controller(Handler(args.dir, bool(args.pop)), hostname="127.0.0.1", port=smtp_port,
                                **kwargs)
        controller.start()
    if args.pop:
        user, password = args.pop.split(":", 1)
        pop_port = free_port()
        servers.append(loop.run_until_complete(asyncio.start_server(
            lambda r, w: pop_session(r, w, args.dir, user, password), "127.0.0.1", pop_port)))

    def wait_for_stdin():
        sys.stdin.read()
        stop.set()
        loop.call_soon_threadsafe(loop.stop)

    signal.signal(signal.SIGTERM, lambda *a: (stop.set(), loop.call_soon_threadsafe(loop.stop)))
    threading.Thread(target=wait_for_stdin, daemon=True).start()
    print("READY %d %d" % (smtp_port, pop_port), flush=True)
    if not stop.is_set():
        loop.run_forever()
    for s in servers:
        s.close()
    if controller:
        controller.stop()


if __name__ == "__main__":
    main()
