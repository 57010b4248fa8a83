#!/usr/bin/python3
"""Parses one Internet message with Python's standard email package and prints what it found as
one flat JSON object of strings, so that a test in any language can assert on it.

Keys: "defects" (every defect of every part and header, joined by " | "), "header.NAME"
(decoded), "from.display", "from.address", "to.display", "to.address", and for every part,
numbered "p" for the message and "p.0", "p.1", ... for its children: ".type", ".charset",
".cte", ".filename", ".content_id", ".disposition", ".children", and for leaf parts ".size" and
".body_hex" (the decoded body). "cid_refs" and "cid_unresolved" count cid: references of the
HTML parts and those no image part answers; "max_line" is the longest line in octets and
"bare_line_breaks" counts CR or LF bytes that are not part of a CR LF pair.
Usage: parse_mail.py FILE
"""
import email
import email.policy
import json
import re
import sys


def main():
    raw = open(sys.argv[1], "rb").read()
    msg = email.message_from_bytes(raw, policy=email.policy.default)
    out = {}
    defects = []

    lines = raw.split(b"\r\n")
    out["max_line"] = str(max(len(line) for line in lines))
    out["bare_line_breaks"] = str(sum(line.count(b"\r") + line.count(b"\n") for line in lines))

    for name in ("From", "To", "Reply-To", "Organization", "Subject", "Date", "Message-ID",
                 "MIME-Version", "X-Priority", "List-Unsubscribe", "List-Unsubscribe-Post"):
        value = msg.get(name)
        if value is not None:
            out["header." + name] = str(value)
    for name in ("From", "To"):
        header = msg.get(name)
        if header is not None and getattr(header, "addresses", None):
            address = header.addresses[0]
            out[name.lower() + ".display"] = address.display_name
            out[name.lower() + ".address"] = address.addr_spec

    content_ids = set()
    html_texts = []

    def walk(part, path):
        for defect in part.defects:
            defects.append("%s: %s" % (type(defect).__name__, defect))
        for name in part.keys():
            for defect in getattr(part[name], "defects", ()):
                defects.append("%s %s: %s" % (name, type(defect).__name__, defect))
        out[path + ".type"] = part.get_content_type()
        out[path + ".charset"] = part.get_content_charset() or ""
        out[path + ".cte"] = part.get("Content-Transfer-Encoding", "")
        out[path + ".filename"] = part.get_filename() or ""
        out[path + ".disposition"] = part.get_content_disposition() or ""
        cid = part.get("Content-ID", "")
        out[path + ".content_id"] = cid
        if cid:
            content_ids.add(cid.strip().strip("<>"))
        if part.is_multipart():
            children = part.get_payload()
            out[path + ".children"] = str(len(children))
            for index, child in enumerate(children):
                walk(child, "%s.%d" % (path, index))
        else:
            out[path + ".children"] = "0"
            body = part.get_payload(decode=True) or b""
            out[path + ".size"] = str(len(body))
            out[path + ".body_hex"] = body.hex()
            if part.get_content_type() == "text/html":
                html_texts.append(body.decode("latin-1"))

    walk(msg, "p")
    refs = [ref for text in html_texts for ref in re.findall(r'"cid:([^"]*)"', text, re.IGNORECASE)]
    out["cid_refs"] = str(len(refs))
    out["cid_unresolved"] = str(sum(1 for ref in refs if ref not in content_ids))
    out["defects"] = " | ".join(defects)
    json.dump(out, sys.stdout, ensure_ascii=True, sort_keys=True)
    sys.stdout.write("\n")


if __name__ == "__main__":
    main()
