#!/usr/bin/python3
"""SMTP server for the send tests, on aiosmtpd.

Listens on 127.0.0.1 on a free port, prints "READY <port>" once it accepts connections and keeps
every message it takes in the spool folder: N.eml (the message text as received, after the
leading dots were removed) and N.json (envelope, parameters, whether TLS and AUTH were used).
Variants are chosen by options; see --help.
"""
import argparse
import asyncio
import hashlib
import hmac
import json
import os
import secrets
import ssl
import sys

from aiosmtpd.smtp import MISSING, SMTP, AuthResult, LoginPassword

DSN_MAIL_PARAMS = ("RET", "ENVID")
DSN_RCPT_PARAMS = ("NOTIFY", "ORCPT")


def take_params(arg, names):
    """Removes the named ESMTP parameters from a MAIL/RCPT argument; returns (rest, removed)."""
    words = arg.split(" ")
    kept = [words[0]]
    removed = []
    for word in words[1:]:
        if word.split("=", 1)[0].upper() in names:
            removed.append(word)
        else:
            kept.append(word)
    return " ".join(kept), removed


class TestSMTP(SMTP):
    """aiosmtpd knows no DSN parameters and no BDAT; this one takes both."""

    def __init__(self, handler, offer_dsn, options, **kwargs):
        super().__init__(handler, **kwargs)
        self.offer_dsn = offer_dsn
        self.options = options
        self.dsn_mail = []
        self.dsn_rcpt = []
        self.chunks = bytearray()

    async def smtp_MAIL(self, arg):
        if self.offer_dsn and arg:
            arg, self.dsn_mail = take_params(arg, DSN_MAIL_PARAMS)
        await super().smtp_MAIL(arg)

    async def smtp_RCPT(self, arg):
        if self.offer_dsn and arg:
            arg, found = take_params(arg, DSN_RCPT_PARAMS)
            self.dsn_rcpt.extend(found)
        await super().smtp_RCPT(arg)

    async def smtp_DATA(self, arg):
        if self.options.refuse_data and self.envelope.rcpt_tos:
            await self.push(self.options.refuse_data)
            return
        await super().smtp_DATA(arg)

    async def smtp_BDAT(self, arg):
        """BDAT <size> [LAST]: exactly <size> bytes follow the command line, whatever the reply."""
        if not self.options.chunking:
            await self.push('500 Error: command "BDAT" not recognized')
            return
        words = (arg or "").split()
        if not words or not words[0].isdigit() or len(words) > 2 or (len(words) == 2 and words[1].upper() != "LAST"):
            # Without a size nobody knows where the chunk ends.
            await self.push("501 5.5.4 Syntax: BDAT <size> [LAST]")
            self.transport.close()
            return
        chunk = await self._reader.readexactly(int(words[0]))
        if not self.envelope.rcpt_tos:
            self.chunks.clear()
            await self.push("554 5.5.1 Error: no valid recipients" if self.envelope.mail_from else
                            "503 5.5.1 Error: need MAIL command")
            return
        self.chunks.extend(chunk)
        if len(words) == 1:
            await self.push("250 2.0.0 %d octets received" % len(chunk))
            return
        content = bytes(self.chunks)
        self.chunks.clear()
        if self.options.refuse_data:
            self._set_post_data_state()
            await self.push(self.options.refuse_data)
            return
        self.envelope.content = content
        self.envelope.original_content = content
        status = await self._call_handler_hook("DATA")
        self._set_post_data_state()
        await self.push(status)


class Handler:
    def __init__(self, options):
        self.options = options
        self.count = 0
        self.rejects = {}
        for item in options.reject:
            address, reply = item.split("=", 1)
            self.rejects[address.lower()] = reply

    async def handle_EHLO(self, server, session, envelope, hostname, responses):
        session.host_name = hostname
        extra = []
        if self.options.pipelining:
            extra.append("250-PIPELINING")
        if self.options.chunking:
            extra.append("250-CHUNKING")
        if not self.options.no_dsn:
            extra.append("250-DSN")
        responses = responses[:-1] + extra + responses[-1:]
        if self.options.ehlo_code:
            responses = [self.options.ehlo_code + line[3:] for line in responses]
        return responses

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        reply = self.rejects.get(address.lower())
        if reply:
            return reply
        if self.options.max_recipients and len(envelope.rcpt_tos) >= self.options.max_recipients:
            return "452 4.5.3 Too many recipients"
        envelope.rcpt_tos.append(address)
        envelope.rcpt_options.extend(rcpt_options)
        return "250 2.1.5 OK"

    async def handle_DATA(self, server, session, envelope):
        if self.options.refuse_message:
            server.dsn_mail = []
            server.dsn_rcpt = []
            return self.options.refuse_message
        self.count += 1
        base = os.path.join(self.options.spool, str(self.count))
        with open(base + ".eml", "wb") as f:
            f.write(envelope.original_content)
        auth = session.auth_data
        login = auth.login if isinstance(auth, LoginPassword) else None
        record = {
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "mail_options": envelope.mail_options,
            "dsn_mail": server.dsn_mail,
            "dsn_rcpt": server.dsn_rcpt,
            "tls": session.ssl is not None,
            "login": login.decode() if isinstance(login, bytes) else login,
            "mechanism": getattr(session, "mechanism", None),
        }
        with open(base + ".json", "w") as f:
            json.dump(record, f)
        server.dsn_mail = []
        server.dsn_rcpt = []
        return "250 2.0.0 OK queued as %d" % self.count

    async def auth_CRAM__MD5(self, server, args):
        challenge = ("<%s@tidecast.test>" % secrets.token_hex(8)).encode()
        response = await server.challenge_auth(challenge)
        if response is MISSING:
            return AuthResult(success=False, handled=False)
        user, _, digest = response.decode().partition(" ")
        wanted_user, _, password = self.options.auth.partition(":")
        expected = hmac.new(password.encode(), challenge, hashlib.md5).hexdigest()
        success = user == wanted_user and hmac.compare_digest(digest, expected)
        server.session.mechanism = "CRAM-MD5"
        return AuthResult(success=success, handled=False, auth_data=LoginPassword(user.encode(), b""))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--spool", required=True)
    parser.add_argument("--cert", help="PEM certificate: offer STARTTLS")
    parser.add_argument("--key")
    parser.add_argument("--require-starttls", action="store_true")
    parser.add_argument("--auth", default="", help="user:password; AUTH is then required")
    parser.add_argument("--mechanisms", default="", help="comma list of AUTH mechanisms to offer")
    parser.add_argument("--no-dsn", action="store_true")
    parser.add_argument("--pipelining", action="store_true")
    parser.add_argument("--chunking", action="store_true", help="offer CHUNKING and take BDAT")
    parser.add_argument("--refuse-data", default="", help="answer DATA (or the last BDAT) with this reply")
    parser.add_argument("--refuse-message", default="", help="refuse every message at its end with this reply")
    parser.add_argument("--reject", action="append", default=[], help="address=reply, e.g. x@y=550 5.1.1 no")
    parser.add_argument("--size-limit", type=int, default=0, help="announce SIZE with this limit and keep it")
    parser.add_argument("--max-recipients", type=int, default=0, help="answer 452 beyond this many per message")
    parser.add_argument("--ehlo-code", default="", help="answer EHLO with this code instead of 250")
    options = parser.parse_args()

    tls_context = None
    if options.cert:
        tls_context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        tls_context.load_cert_chain(options.cert, options.key)

    handler = Handler(options)
    kwargs = {"hostname": "smtp.test", "decode_data": False, "tls_context": tls_context, "require_starttls": options.require_starttls}
    if options.size_limit:
        kwargs["data_size_limit"] = options.size_limit
    if options.auth:
        wanted_user, _, wanted_password = options.auth.partition(":")

        def authenticator(server, session, envelope, mechanism, auth_data):
            session.mechanism = mechanism
            ok = (isinstance(auth_data, LoginPassword) and auth_data.login.decode() == wanted_user
                  and auth_data.password.decode() == wanted_password)
            return AuthResult(success=ok)

        kwargs.update(authenticator=authenticator, auth_required=True, auth_require_tls=tls_context is not None)
        if options.mechanisms:
            offered = set(options.mechanisms.upper().split(","))
            kwargs["auth_exclude_mechanism"] = [m for m in ("PLAIN", "LOGIN", "CRAM-MD5") if m not in offered]
    else:
        kwargs["auth_exclude_mechanism"] = ["PLAIN", "LOGIN", "CRAM-MD5"]

    async def serve():
        loop = asyncio.get_running_loop()
        server = await loop.create_server(lambda: TestSMTP(handler, not options.no_dsn, options, loop=loop, **kwargs),
                                          "127.0.0.1", 0)
        print("READY %d" % server.sockets[0].getsockname()[1], flush=True)
        await server.serve_forever()

    asyncio.run(serve())


if __name__ == "__main__":
    sys.exit(main())
