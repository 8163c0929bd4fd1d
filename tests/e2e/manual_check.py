#!/usr/bin/env python3
"""Checks that every link and picture of an HTML page resolves: files beside it exist, and
"#name" targets exist as ids in the page they point into.

  manual_check.py PAGE.html
Prints what it checked; exit code 1 when a link is broken.
"""
import html.parser
import os
import sys
import urllib.parse


class Links(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.ids, self.targets = set(), []

    def handle_starttag(self, tag, attrs):
        for name, value in attrs:
            if name == "id":
                self.ids.add(value)
            elif (tag, name) in (("a", "href"), ("img", "src"), ("link", "href")):
                self.targets.append(value)


def parse(path):
    links = Links()
    with open(path, encoding="utf-8") as page:
        links.feed(page.read())
    return links


def main():
    page = sys.argv[1]
    links = parse(page)
    broken = []
    for target in links.targets:
        url = urllib.parse.urlparse(target)
        if url.scheme in ("http", "https", "mailto"):
            continue  # the manual works offline; it has none of these
        path = urllib.parse.unquote(url.path)
        file = os.path.normpath(os.path.join(os.path.dirname(page), path)) if path else page
        if not os.path.isfile(file):
            broken.append(f"{target}: no file {file}")
        elif url.fragment and url.fragment not in (links.ids if file == page else parse(file).ids):
            broken.append(f"{target}: no id {url.fragment}")
    print(f"{len(links.targets)} links and pictures checked, {len(broken)} broken")
    for line in broken:
        print("  " + line)
    sys.exit(1 if broken else 0)


main()
