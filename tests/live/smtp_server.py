"""A test mail server: stores every message it accepts as JSON in a folder.

Usage: smtp_server.py PORT FOLDER [--tls CERT KEY] [--user NAME PASSWORD]
Prints READY once it listens on 127.0.0.1:PORT; runs until killed.
"""
import json
import logging
import os
import ssl
import sys
import time

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword


class Store:
    def __init__(self, folder):
        self.folder = folder
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        record = {
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "tls": session.ssl is not None,
            "auth_mechanism": getattr(session, "qm_mechanism", None),
            "login": getattr(session.auth_data, "login", b"").decode("utf-8", "replace"),
            "data": envelope.content.decode("utf-8", "replace"),
        }
        tmp = os.path.join(self.folder, "msg%d.tmp" % self.count)
        with open(tmp, "w", encoding="utf-8") as f:
            json.dump(record, f)
        os.replace(tmp, os.path.join(self.folder, "msg%d.json" % self.count))
        return "250 OK"


def main():
    # Refused handshakes are expected in tests; their tracebacks are noise.
    logging.getLogger("mail.log").setLevel(logging.CRITICAL)
    args = sys.argv[1:]
    port, folder = int(args[0]), args[1]
    kwargs = {"auth_require_tls": False}
    if "--tls" in args:
        i = args.index("--tls")
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(args[i + 1], args[i + 2])
        kwargs["tls_context"] = context
    if "--user" in args:
        i = args.index("--user")
        user, password = args[i + 1].encode(), args[i + 2].encode()

        def authenticator(server, session, envelope, mechanism, auth_data):
            session.qm_mechanism = mechanism
            if isinstance(auth_data, LoginPassword) and (
                auth_data.login == user and auth_data.password == password
            ):
                return AuthResult(success=True, auth_data=auth_data)
            # handled=False, or the server never answers the client.
            return AuthResult(success=False, handled=False)

        kwargs["authenticator"] = authenticator
        kwargs["auth_required"] = True
    controller = Controller(Store(folder), hostname="127.0.0.1", port=port, **kwargs)
    controller.start()
    print("READY", flush=True)
    try:
        while True:
            time.sleep(3600)
    finally:
        controller.stop()


if __name__ == "__main__":
    main()
