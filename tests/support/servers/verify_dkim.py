#!/usr/bin/python3
"""Verifies the DKIM signature of each message file with python3-dkim, answering the key look-up
from the TXT record given on the command line instead of asking DNS. Prints one line per file:
"pass" or "fail", followed by the file name.
Usage: verify_dkim.py RECORD FILE...
"""
import sys

import dkim


def main():
    record = sys.argv[1].encode("ascii")

    def lookup(name, *args, **kwargs):
        return record

    for path in sys.argv[2:]:
        message = open(path, "rb").read()
        try:
            ok = dkim.verify(message, dnsfunc=lookup)
        except dkim.DKIMException:
            ok = False
        print("%s %s" % ("pass" if ok else "fail", path))


if __name__ == "__main__":
    main()
