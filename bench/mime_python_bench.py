#!/usr/bin/python3
"""Builds the same personal messages as MimeBench with Python's standard email package and prints
the rate in messages per CPU second (as Google Benchmark reports ours): the six macros replaced per recipient, plain text and HTML
quoted-printable in iso-8859-1, multipart/alternative, and an optional attachment in base64.

Usage: mime_python_bench.py TEXT_FILE HTML_FILE [ATTACHMENT] [SECONDS]
"""
import email.policy
import email.utils
import sys
import time
from email.message import EmailMessage


def main():
    text = open(sys.argv[1], encoding="utf-8").read()
    html = open(sys.argv[2], encoding="utf-8").read()
    attachment = open(sys.argv[3], "rb").read() if len(sys.argv) > 3 and sys.argv[3] else None
    seconds = float(sys.argv[4]) if len(sys.argv) > 4 else 2.0

    def merge(template, n):
        return (template.replace("!*EMAIL*!", "person%d@example.co.uk" % n)
                .replace("!*USERNAME*!", "person%d" % n)
                .replace("!*FIRST_NAME*!", "First%d" % n)
                .replace("!*LAST_NAME*!", "Surname%d" % n)
                .replace("!*CITY*!", "Zürich" if n % 3 == 0 else "Leeds")
                .replace("!*COMPANY_NAME*!", "Widgets and Sons Ltd"))

    built = 0
    start = time.process_time()
    while time.process_time() - start < seconds:
        n = built % 1024
        msg = EmailMessage(policy=email.policy.SMTP)
        msg["From"] = '"Tidecast News" <news@sender.example>'
        msg["To"] = '"First%d Surname%d" <person%d@example.co.uk>' % (n, n, n)
        msg["Subject"] = merge("Autumn offers for !*FIRST_NAME*!", n)
        msg["Date"] = email.utils.formatdate()
        msg["Message-ID"] = email.utils.make_msgid(domain="sender.example")
        msg["X-Priority"] = "3 (Normal)"
        msg.set_content(merge(text, n), charset="iso-8859-1", cte="quoted-printable")
        msg.add_alternative(merge(html, n), subtype="html", charset="iso-8859-1", cte="quoted-printable")
        if attachment is not None:
            msg.add_attachment(attachment, maintype="application", subtype="octet-stream",
                               filename="catalogue.pdf")
        msg.as_bytes()
        built += 1
    print("%.1f" % (built / (time.process_time() - start)))


if __name__ == "__main__":
    main()
