#!/usr/bin/env python3
"""The test board's drawings: the committed ones pass the board checker and are what the
generator writes; and the checker itself finds each kind of fault on a small board."""

import os
import subprocess
import sys
import tempfile

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
TOOLS = os.path.join(ROOT, "tools", "board")
NETLIST = "N1: A.1 A.2\nN2: C.1\n"


def run(*args):
    r = subprocess.run([sys.executable, *args], capture_output=True, text=True)
    return r.returncode, r.stdout + r.stderr


def small_board(folder, pads, tracks, moved=()):
    """Writes a 60 x 40 mm board: pads {name: (x, y)} of 2 mm, tracks [(width, [points])]."""
    head = '<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 70 50">'
    copper = [head, '<rect x="5" y="5" width="60" height="40" fill="none" stroke="#000"/>',
              '<g id="copper" transform="translate(5,5)">']
    layout = [head, '<g id="pads" transform="translate(5,5)">']
    for width, points in tracks:
        p = " ".join(f"{x},{y}" for x, y in points)
        copper.append(f'<polyline points="{p}" stroke-width="{width}" fill="none" stroke="#000"/>')
    for name, (x, y) in pads.items():
        copper.append(f'<circle id="{name}" cx="{x}" cy="{y}" r="1"/><circle cx="{x}" cy="{y}" r="0.4"/>')
        lx = x + 0.5 if name in moved else x
        layout.append(f'<circle id="{name}" cx="{lx}" cy="{y}" r="1"/>')
    for name, lines in (("board-tracks.svg", copper), ("board-components.svg", layout)):
        with open(os.path.join(folder, name), "w", encoding="utf-8") as fh:
            fh.write("\n".join(lines + ["</g>", "</svg>"]))


LINK = (1.0, [(10, 10), (30, 10)])
CASES = [
    # name, pads, tracks, pads moved on the layout, passes, word of the report
    ("clearance at the limit", {"A.1": (10, 10), "A.2": (30, 10), "C.1": (30, 12.5)}, [LINK], (), True, "conforme"),
    ("clearance below it", {"A.1": (10, 10), "A.2": (30, 10), "C.1": (30, 12.49)}, [LINK], (), False, "isolement"),
    ("net cut", {"A.1": (10, 10), "A.2": (30, 10), "C.1": (30, 20)}, [], (), False, "coupé"),
    ("two nets joined", {"A.1": (10, 10), "A.2": (30, 10), "C.1": (30, 20)},
     [LINK, (1.0, [(30, 10), (30, 20)])], (), False, "reliés"),
    ("track too thin", {"A.1": (10, 10), "A.2": (30, 10), "C.1": (30, 20)},
     [(0.79, [(10, 10), (30, 10)])], (), False, "piste de"),
    ("pad elsewhere on the layout", {"A.1": (10, 10), "A.2": (30, 10), "C.1": (30, 20)}, [LINK], ("C.1",),
     False, "même place"),
    ("copper at the edge", {"A.1": (1.9, 10), "A.2": (30, 10), "C.1": (30, 20)},
     [(1.0, [(1.9, 10), (30, 10)])], (), False, "bord"),
    ("net made through a strap", {"A.1": (10, 10), "A.2": (30, 10), "C.1": (20, 20), "ST1.1": (15, 30),
                                  "ST1.2": (25, 30)},
     [(1.0, [(10, 10), (15, 30)]), (1.0, [(25, 30), (30, 10)])], (), True, "conforme"),
]


def main():
    failures = []
    code, out = run(os.path.join(TOOLS, "check_board.py"), os.path.join(ROOT, "resources"))
    if code != 0:
        failures.append(f"committed drawings: {out}")
    code, out = run(os.path.join(TOOLS, "make_board.py"), "--check", os.path.join(ROOT, "resources"))
    if code != 0:
        failures.append(f"generator: {out}")
    for name, pads, tracks, moved, passes, word in CASES:
        with tempfile.TemporaryDirectory() as folder:
            small_board(folder, pads, tracks, moved)
            netlist = os.path.join(folder, "netlist.txt")
            with open(netlist, "w", encoding="utf-8") as fh:
                fh.write(NETLIST)
            code, out = run(os.path.join(TOOLS, "check_board.py"), "--netlist", netlist, folder)
            if (code == 0) != passes or word not in out:
                failures.append(f"{name}: exit {code}, {out.strip()}")
    for f in failures:
        print("FAIL", f)
    total = len(CASES) + 2
    print(f"{total - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
