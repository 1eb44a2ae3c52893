#!/usr/bin/env python3
"""Checks the help's links as a browser follows them: every link and picture inside the help
names a file that is there, every #anchor an id on its page, and no id is given twice on a
page. Links out of the help (http:, https:, mailto:) are left alone.

Usage: check_links.py HELP_DIR"""
import sys
from html.parser import HTMLParser
from pathlib import Path
from urllib.parse import unquote, urlsplit


class Page(HTMLParser):
    def __init__(self):
        super().__init__()
        self.ids, self.twice, self.links = set(), set(), []

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if "id" in attrs:
            (self.twice if attrs["id"] in self.ids else self.ids).add(attrs["id"])
        for name in ("href", "src"):
            if attrs.get(name) is not None:
                self.links.append((self.getpos()[0], attrs[name]))


folder = Path(sys.argv[1])
pages = {}
for path in sorted(folder.rglob("*.htm")):
    page = Page()
    page.feed(path.read_text(encoding="utf-8"))
    pages[path.resolve()] = page

errors = []
for path, page in pages.items():
    name = path.relative_to(folder.resolve())
    for anchor in sorted(page.twice):
        errors.append(f"{name}: the id '{anchor}' is given twice")
    for line, link in page.links:
        parts = urlsplit(link)
        if parts.scheme or link.startswith("//"):
            continue
        target = (path.parent / unquote(parts.path)).resolve() if parts.path else path
        if not target.is_file():
            errors.append(f"{name}:{line}: '{link}' names no file of the help")
        elif parts.fragment and target in pages and parts.fragment not in pages[target].ids:
            errors.append(f"{name}:{line}: '{link}' names no id on its page")

for error in errors:
    print("help:", error, file=sys.stderr)
print(f"help: {len(pages)} pages checked, {len(errors)} broken")
sys.exit(1 if errors else 0)
