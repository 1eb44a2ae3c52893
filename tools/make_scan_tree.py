#!/usr/bin/env python3
"""Makes a folder tree to scan: FILES files of 0 to 4096 bytes in folders up to seven levels
deep, below eight first-level folders (one with a name beyond ASCII), plus two links that a
scan must not follow: one back up to the root (a loop) and one to a first-level folder; a
symbolic link to a file (which wine shows as a plain file) and a second name (a hard link) of
a file.

Usage: make_scan_tree.py DIR FILES. The files are sparse (truncated to their size, never
written), so a tmpfs holds hundreds of thousands of them in next to no memory. The same
seed makes the same tree every time."""
import os
import random
import sys

root, count = sys.argv[1], int(sys.argv[2])
rng = random.Random(20260514)
tops = ["Archiv", "Bilder", "Überweisungen", "Projekte", "Spiele", "Temp", "Musik", "Videos"]
folders = [(name, 1) for name in tops]
# About twenty files per folder.
while len(folders) < count // 20:
    parent, depth = rng.choice(folders)
    if depth < 7:
        folders.append((f"{parent}/d{len(folders)}", depth + 1))
for folder, _ in folders:
    os.makedirs(os.path.join(root, folder), exist_ok=True)
places = [""] + [folder for folder, _ in folders]
for i in range(count):
    # Every folder gets one file first, then they fall where they may.
    folder = places[i] if i < len(places) else rng.choice(places)
    fd = os.open(os.path.join(root, folder, f"f{i}.dat"), os.O_WRONLY | os.O_CREAT, 0o644)
    os.ftruncate(fd, rng.randint(0, 4096))
    os.close(fd)
os.symlink("..", os.path.join(root, "Archiv", "Schleife"))
os.symlink("Bilder", os.path.join(root, "Verweis"))
os.symlink(os.path.join("..", "f0.dat"), os.path.join(root, "Bilder", "Titelbild.dat"))
os.link(os.path.join(root, "f0.dat"), os.path.join(root, "Musik", "Zweitname.dat"))
