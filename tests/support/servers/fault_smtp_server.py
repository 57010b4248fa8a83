#!/usr/bin/python3
"""An SMTP server for the mailing tests that misbehaves on purpose.

It accepts mail like any server but, at random points chosen from a seed, refuses recipients
(550 or 451), drops the connection (after MAIL, after RCPT, in the middle of the message text,
after the final dot before its reply) or stops answering for longer than the client waits.
Every recipient of every message it accepted is appended to the record file, one address per
line, flushed before the 250 goes out, so the test can compare it with the client's logs.

Prints the port it listens on as the first line of stdout.
"""

import argparse
import asyncio
import random
import sys


class Faults:
    def __init__(self, args):
        self.random = random.Random(args.seed)
        self.args = args
        self.stalls = 0
        self.connections = 0
        self.messages = 0
        self.seen = set()  # addresses greylisted once already

    def busy(self):
        self.connections += 1
        every = self.args.busy_every
        return every > 0 and self.connections % every == 0

    def greylisted(self, address):
        every = self.args.greylist_every
        if every <= 0 or address in self.seen:
            return False
        self.seen.add(address)
        return len(self.seen) % every == 0

    def chance(self, rate):
        return rate > 0 and self.random.random() < rate

    def stall(self):
        if self.stalls < self.args.max_stalls and self.chance(self.args.stall):
            self.stalls += 1
            return True
        return False


async def handle(reader, writer, faults, args, record):
    async def reply(line):
        writer.write(line.encode() + b"\r\n")
        await writer.drain()

    async def stall_and_close():
        await asyncio.sleep(args.stall_seconds)
        writer.close()

    try:
        if faults.busy():
            # Every so many connections the server is too busy: it closes at the first MAIL.
            await reply("220 fault.test ESMTP ready")
            while True:
                raw = await reader.readline()
                if not raw:
                    return
                if raw[:4].upper() == b"MAIL":
                    await reply("421 too busy, try again later")
                    writer.close()
                    return
                await reply("250 fault.test")
        await reply("220 fault.test ESMTP ready")
        sender = None
        recipients = []
        while True:
            raw = await reader.readline()
            if not raw:
                return
            line = raw.decode("latin-1").rstrip("\r\n")
            verb = line[:4].upper()
            if verb in ("EHLO", "HELO"):
                if verb == "EHLO":
                    await reply("250-fault.test\r\n250 8BITMIME")
                else:
                    await reply("250 fault.test")
            elif verb == "MAIL":
                if faults.chance(args.drop):
                    writer.close()
                    return
                if faults.stall():
                    await stall_and_close()
                    return
                sender = line
                recipients = []
                await reply("250 sender ok")
            elif verb == "RCPT":
                if sender is None:
                    await reply("503 need MAIL first")
                    continue
                address = line[line.find("<") + 1:line.rfind(">")]
                if faults.chance(args.drop):
                    writer.close()
                    return
                if faults.greylisted(address):
                    await reply("451 greylisted, try again later")
                elif faults.chance(args.reject550):
                    await reply("550 no such user here")
                elif faults.chance(args.reject451):
                    await reply("451 try again later")
                else:
                    recipients.append(address)
                    await reply("250 recipient ok")
            elif verb == "DATA":
                if not recipients:
                    await reply("554 no valid recipients")
                    continue
                await reply("354 go ahead")
                drop_mid = faults.chance(args.drop)
                stall_mid = not drop_mid and faults.stall()
                lines = 0
                while True:
                    raw = await reader.readline()
                    if not raw:
                        return
                    lines += 1
                    if lines == 3 and drop_mid:
                        writer.close()
                        return
                    if lines == 3 and stall_mid:
                        await stall_and_close()
                        return
                    if raw in (b".\r\n", b".\n"):
                        break
                faults.messages += 1
                if faults.chance(args.drop) or faults.messages == args.drop_after_dot:
                    # The whole message arrived, but no answer: the client cannot know it was
                    # delivered, so it is not.
                    writer.close()
                    return
                record.write("".join(address + "\n" for address in recipients))
                record.flush()
                sender = None
                recipients = []
                await reply("250 message accepted")
            elif verb == "RSET":
                sender = None
                recipients = []
                await reply("250 reset")
            elif verb == "NOOP":
                await reply("250 ok")
            elif verb == "QUIT":
                await reply("221 bye")
                writer.close()
                return
            else:
                await reply("502 command not implemented")
    except (ConnectionError, asyncio.IncompleteReadError):
        return


async def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--record", required=True)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--reject550", type=float, default=0.0)
    parser.add_argument("--reject451", type=float, default=0.0)
    parser.add_argument("--drop", type=float, default=0.0)
    parser.add_argument("--stall", type=float, default=0.0)
    parser.add_argument("--max-stalls", type=int, default=0)
    parser.add_argument("--stall-seconds", type=float, default=2.0)
    parser.add_argument("--busy-every", type=int, default=0, help="every Nth connection answers MAIL with 421")
    parser.add_argument("--greylist-every", type=int, default=0,
                        help="every Nth new address is refused with 451 the first time")
    parser.add_argument("--drop-after-dot", type=int, default=0,
                        help="the Nth message gets no reply after its final dot")
    args = parser.parse_args()

    faults = Faults(args)
    record = open(args.record, "a", encoding="latin-1")
    server = await asyncio.start_server(lambda r, w: handle(r, w, faults, args, record), "127.0.0.1", 0)
    print(server.sockets[0].getsockname()[1], flush=True)
    async with server:
        await server.serve_forever()


if __name__ == "__main__":
    try:
        asyncio.run(main())
    except KeyboardInterrupt:
        sys.exit(0)
