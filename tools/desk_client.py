#!/usr/bin/env python3
"""Talks to a running omniprobe-desk through its API, for the run command's --send and the tests.

  desk_client.py banner <log> [seconds]         waits for the service's start lines; prints its port
  desk_client.py show <port> <password> <ticket> <page report> [seconds]
      waits until a report of the ticket is stored, then prints its number and its red items
  desk_client.py check <port> <password> <ticket> <page report> <lang> <answers folder> [seconds]
      as show, then checks that the stored XML is byte-identical to the report the page received, and that
      the answer the browser window got (recorded by recording_relay.py) is in the report's language

The page report is the report as examples/send.js writes it: one line, with \\, CR, LF and tab escaped.
"""
import base64
import json
import os
import re
import sys
import time
import urllib.error
import urllib.parse
import urllib.request
import xml.etree.ElementTree as ElementTree
import zlib


def unescaped(text):
    codes = {"n": "\n", "r": "\r", "t": "\t", "\\": "\\"}
    return re.sub(r"\\(.)", lambda m: codes[m.group(1)], text)


def page_report(path):
    with open(path, "rb") as f:
        return unescaped(f.read().decode("utf-8").rstrip("\n"))


def api(port, password, path):
    request = urllib.request.Request("http://127.0.0.1:%d%s" % (port, path))
    token = base64.b64encode(("desk:" + password).encode("utf-8")).decode("ascii")
    request.add_header("Authorization", "Basic " + token)
    with urllib.request.urlopen(request, timeout=30) as answer:
        return json.loads(answer.read().decode("utf-8"))


def wait_for_ticket(port, password, ticket, seconds):
    """The stored report of the ticket, once the browser window has posted it."""
    deadline = time.time() + seconds
    while True:
        rows = api(port, password, "/api/reports?" + urllib.parse.urlencode({"ticket": ticket}))
        if rows:
            return api(port, password, "/api/reports/%d" % rows[0]["id"])
        if time.time() > deadline:
            sys.exit("desk_client: nothing arrived for ticket %s in %d s" % (ticket, seconds))
        time.sleep(0.5)


def red_items(xml):
    found = []
    for group in ElementTree.fromstring(xml.encode("utf-8")).findall("group"):
        for item in group.findall("item"):
            if (item.findtext("resultcolor") or "").upper() != "000000":
                found.append((group.get("class"), item.findtext("subject"), item.findtext("resultmsg")))
    return found


def show(stored):
    print("The receiver stored report %d (ticket %s, language %s, received %s from %s): %d items, %d red"
          % (stored["id"], stored["ticket"], stored["lang"], stored["received"], stored["sender"],
             stored["items"], stored["red"]))
    for group, subject, verdict in red_items(stored["xml"]):
        print("  red in %s: %s: %s" % (group, subject, verdict))


def banner(log, seconds):
    deadline = time.time() + seconds
    while time.time() < deadline:
        text = open(log, encoding="utf-8", errors="replace").read() if os.path.exists(log) else ""
        found = re.search(r"dashboard at http://127\.0\.0\.1:(\d+)/", text)
        if found and "storage:" in text:
            print(found.group(1))
            return
        time.sleep(0.1)
    sys.exit("desk_client: the receiver did not start:\n" + text)


def answer_to(answers, ticket):
    """The response recorded for the post of the ticket: (status, body)."""
    for name in sorted(os.listdir(answers)):
        if not name.endswith(".request"):
            continue
        with open(os.path.join(answers, name), "rb") as f:
            head = f.read().split(b"\r\n", 1)[0].decode("latin-1")
        if head.startswith("POST /report?") and "ticket=" + ticket in head:
            with open(os.path.join(answers, name[:-len(".request")] + ".response"), "rb") as f:
                response = f.read()
            head, body = response.split(b"\r\n\r\n", 1)
            status = int(head.split(b" ", 2)[1])
            # The browser accepts compressed answers, and the service compresses its pages.
            encoding = re.search(rb"(?im)^content-encoding:\s*(\S+)", head)
            if encoding and encoding.group(1).lower() in (b"gzip", b"deflate"):
                body = zlib.decompress(body, 47)  # a gzip or zlib header, whichever comes
            elif encoding:
                sys.exit("desk_client: cannot read an answer in %s" % encoding.group(1).decode())
            return status, body.decode("utf-8")
    sys.exit("desk_client: no recorded answer to the post of ticket %s" % ticket)


def check(port, password, ticket, report_file, lang, answers, seconds):
    stored = wait_for_ticket(port, password, ticket, seconds)
    show(stored)
    sent = page_report(report_file)
    failures = []
    if stored["xml"].encode("utf-8") != sent.encode("utf-8"):
        failures.append("the stored XML (%d bytes) differs from the report the page received (%d bytes)"
                        % (len(stored["xml"].encode("utf-8")), len(sent.encode("utf-8"))))
    if stored["lang"] != lang:
        failures.append("stored language %r, sent %r" % (stored["lang"], lang))
    status, body = answer_to(answers, ticket)
    expected = ("접수 번호는 %d입니다." if lang == "kor" else "Its number is %d.") % stored["id"]
    page_lang = 'lang="ko"' if lang == "kor" else 'lang="en"'
    if status != 200 or expected not in body or page_lang not in body:
        failures.append("the browser window got %d, without %r in %s:\n%s" % (status, expected, page_lang, body))
    for failure in failures:
        print("FAILED: " + failure)
    if failures:
        sys.exit(1)
    print("ok: the stored XML is the page's report byte for byte (%d bytes); the answer says %r"
          % (len(sent.encode("utf-8")), expected))


def main(argv):
    if len(argv) >= 2 and argv[0] == "banner":
        banner(argv[1], int(argv[2]) if len(argv) > 2 else 30)
    elif len(argv) >= 5 and argv[0] == "show":
        show(wait_for_ticket(int(argv[1]), argv[2], argv[3], int(argv[5]) if len(argv) > 5 else 180))
    elif len(argv) >= 7 and argv[0] == "check":
        check(int(argv[1]), argv[2], argv[3], argv[4], argv[5], argv[6], int(argv[7]) if len(argv) > 7 else 180)
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
