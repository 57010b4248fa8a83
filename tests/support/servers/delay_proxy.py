#!/usr/bin/python3
"""A TCP proxy on loopback that delays both directions and counts the client's turns.

Listens on 127.0.0.1 on a free port, prints "READY <port>" once it accepts connections and
forwards every connection to --target, holding each piece of data --delay milliseconds in each
direction (so a round trip through it costs twice that).

A turn is what the client sends after it has received something from the server: the client had
to wait for an answer before it went on. A client that pipelines its commands sends several in
one turn. With --log every turn is a line "<connection> <first bytes of the turn>" (non-printable
bytes as \\xNN), written the moment the turn starts, so the log is complete once the client has
its answer.
"""
import argparse
import asyncio
import sys


def printable(data, limit=40):
    out = []
    for byte in data[:limit]:
        out.append(chr(byte) if 32 <= byte < 127 and byte != 0x5C else "\\x%02x" % byte)
    return "".join(out)


class TurnLog:
    def __init__(self, path):
        self.file = open(path, "a", buffering=1) if path else None
        self.turns = 0

    def turn(self, connection, data):
        self.turns += 1
        if self.file:
            self.file.write("%d %s\n" % (connection, printable(data)))


class Connection:
    """One client connection: two delayed pipes and the turn bookkeeping between them."""

    def __init__(self, number, delay, log):
        self.number = number
        self.delay = delay
        self.log = log
        # True once server data reached the client since the client last sent something.
        self.answered = True

    async def pipe(self, reader, writer, from_client):
        loop = asyncio.get_running_loop()

        def deliver(data):
            if writer.is_closing():
                return
            writer.write(data)
            if not from_client:
                self.answered = True

        # Timers that fall due at once run in the order they were set, so the bytes keep theirs.
        try:
            while True:
                data = await reader.read(65536)
                if not data:
                    break
                if from_client and self.answered:
                    self.answered = False
                    self.log.turn(self.number, data)
                loop.call_at(loop.time() + self.delay, deliver, data)
        except (ConnectionError, OSError):
            pass
        done = loop.create_future()

        def finish():
            if not writer.is_closing() and writer.can_write_eof():
                writer.write_eof()
            done.set_result(None)

        loop.call_at(loop.time() + self.delay, finish)
        await done


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--target", type=int, required=True, help="port on 127.0.0.1 to forward to")
    parser.add_argument("--delay", type=float, default=0, help="milliseconds each direction is held")
    parser.add_argument("--log", default="", help="file that gets a line for every client turn")
    options = parser.parse_args()
    log = TurnLog(options.log)
    delay = options.delay / 1000.0
    numbers = iter(range(1, 1 << 62))

    async def handle(client_reader, client_writer):
        try:
            server_reader, server_writer = await asyncio.open_connection("127.0.0.1", options.target)
        except OSError:
            client_writer.close()
            return
        connection = Connection(next(numbers), delay, log)
        await asyncio.gather(connection.pipe(client_reader, server_writer, True),
                             connection.pipe(server_reader, client_writer, False))
        for writer in (server_writer, client_writer):
            writer.close()

    async def serve():
        server = await asyncio.start_server(handle, "127.0.0.1", 0)
        print("READY %d" % server.sockets[0].getsockname()[1], flush=True)
        await server.serve_forever()

    asyncio.run(serve())


if __name__ == "__main__":
    sys.exit(main())
