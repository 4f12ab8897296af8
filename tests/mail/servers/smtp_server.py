"""A loopback SMTP server for the mail tests.

Stores every message it accepts as N.eml (the bytes as received) with N.json
(the envelope: sender and recipients) in the folder given, and prints
"PORT <n>" once it listens on a free port of 127.0.0.1. Recipients whose local
part is "reject" are refused with 550. With --cert/--key it speaks TLS, from
the first byte (--tls) or after STARTTLS (--starttls); with --login USER:PASS
it requires that login.
"""

import argparse
import asyncio
import json
import os
import ssl
import sys

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


class Store:
    def __init__(self, folder):
        self.folder = folder
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.split("@")[0] == "reject":
            return "550 5.1.1 <%s>: Recipient address rejected: no such user" % address
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.folder, "%d" % self.count)
        with open(base + ".json", "w") as f:
            json.dump({"from": envelope.mail_from, "to": envelope.rcpt_tos}, f)
        # The message file last, so a test that sees it sees the envelope too.
        with open(base + ".tmp", "wb") as f:
            f.write(envelope.original_content)
        os.rename(base + ".tmp", base + ".eml")
        return "250 Message accepted for delivery"


def authenticator(user, password):
    def check(server, session, envelope, mechanism, auth_data):
        ok = isinstance(auth_data, LoginPassword) and (
            auth_data.login.decode(), auth_data.password.decode()) == (user, password)
        # Not "handled": aiosmtpd then answers 535 itself.
        return AuthResult(success=ok, handled=False)
    return check


async def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--tls", action="store_true")
    parser.add_argument("--starttls", action="store_true")
    parser.add_argument("--login")
    args = parser.parse_args()

    context = None
    if args.cert:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(args.cert, args.key)
    options = {"data_size_limit": 0, "hostname": "lumvik-test"}
    if args.starttls:
        options.update(tls_context=context, require_starttls=True)
    if args.login:
        user, password = args.login.split(":", 1)
        # With TLS from the first byte the connection is already encrypted,
        # which aiosmtpd does not know: only STARTTLS counts for it.
        options.update(authenticator=authenticator(user, password), auth_required=True,
                       auth_require_tls=not args.tls)
    store = Store(args.folder)
    loop = asyncio.get_running_loop()
    server = await loop.create_server(lambda: SMTP(store, **options), "127.0.0.1", 0,
                                      ssl=context if args.tls else None)
    print("PORT %d" % server.sockets[0].getsockname()[1], flush=True)
    await server.serve_forever()


asyncio.run(main())
