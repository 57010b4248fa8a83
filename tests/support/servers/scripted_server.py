#!/usr/bin/python3
"""Misbehaving SMTP servers for the send tests, where a real server cannot be made to misbehave.

Listens on 127.0.0.1 on a free port and prints "READY <port>". Modes:
  silent       accepts connections and never says a word
  drop-data    a normal dialogue until DATA, then closes the connection after the first bytes of text
  tls          implicit TLS with --cert/--key, then a normal dialogue (a wrong certificate is the test)
  inject       STARTTLS whose "220" comes with a forged reply in the same packet, sent in the clear
"""
import argparse
import asyncio
import ssl
import sys


async def dialogue(reader, writer, mode, tls_context):
    async def say(*lines):
        writer.write(b"".join(line.encode() + b"\r\n" for line in lines))
        await writer.drain()

    await say("220 scripted.test ESMTP")
    encrypted = False
    while True:
        line = await reader.readline()
        if not line:
            return
        command = line.decode(errors="replace").strip().upper()
        if command.startswith("EHLO"):
            if mode == "inject" and not encrypted:
                await say("250-scripted.test", "250 STARTTLS")
            else:
                await say("250-scripted.test", "250 8BITMIME")
        elif command == "STARTTLS":
            await say("220 go ahead", "250-forged.test", "250 AUTH PLAIN")
            await writer.start_tls(tls_context)
            encrypted = True
        elif command.startswith("MAIL") or command.startswith("RCPT") or command == "RSET":
            await say("250 OK")
        elif command == "DATA":
            await say("354 go ahead")
            if mode == "drop-data":
                await reader.read(1)
                writer.transport.abort()
                return
            while (await reader.readline()) not in (b".\r\n", b""):
                pass
            await say("250 OK queued")
        elif command == "QUIT":
            await say("221 bye")
            return
        else:
            await say("500 unknown command")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("mode", choices=["silent", "drop-data", "tls", "inject"])
    parser.add_argument("--cert")
    parser.add_argument("--key")
    options = parser.parse_args()

    tls_context = None
    if options.cert:
        tls_context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        tls_context.load_cert_chain(options.cert, options.key)

    async def handle(reader, writer):
        try:
            if options.mode == "silent":
                await reader.read()
            else:
                await dialogue(reader, writer, options.mode, tls_context)
        except (ConnectionError, ssl.SSLError):
            pass
        finally:
            writer.close()

    async def serve():
        server = await asyncio.start_server(handle, "127.0.0.1", 0,
                                            ssl=tls_context if options.mode == "tls" else None)
        print("READY %d" % server.sockets[0].getsockname()[1], flush=True)
        await server.serve_forever()

    asyncio.run(serve())


if __name__ == "__main__":
    sys.exit(main())
