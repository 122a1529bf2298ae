#!/usr/bin/env python3
"""Checks the test board's drawings against its netlist.

    python3 tools/board/check_board.py [--netlist FILE] [resources-folder]

Reads the copper of board-tracks.svg (pads: circles with an id "REF.PIN"; tracks:
polylines with their stroke width), joins what touches, joins the two pads of each
strap (STn.1 and STn.2, wired on the component side), and checks that:
  - every net of netlist.txt is one piece of copper, and no piece joins two nets;
  - pads of no net touch nothing;
  - copper of different pieces keeps the minimum clearance, and keeps off the board edge;
  - tracks, pads and drills have buildable sizes;
  - board-components.svg shows every pad at the same place.
Prints what is wrong and exits with 1, or prints a summary and exits with 0.
"""

import math
import os
import re
import sys
import xml.etree.ElementTree as ET

CLEARANCE = 0.5
EDGE = 1.0
MIN_TRACK = 0.8
MIN_PAD = 2.0
MIN_BANANA_PAD = 3.0
SVG = "{http://www.w3.org/2000/svg}"


def translate(element):
    m = re.search(r"translate\(\s*([-\d.]+)[ ,]+([-\d.]+)\s*\)", element.get("transform", ""))
    return (float(m.group(1)), float(m.group(2))) if m else (0.0, 0.0)


def read_copper(path):
    root = ET.parse(path).getroot()
    group = next(g for g in root.iter(SVG + "g") if g.get("id") == "copper")
    dx, dy = translate(group)
    pads, holes, tracks = {}, [], []
    for c in group.findall(SVG + "circle"):
        x, y, r = float(c.get("cx")), float(c.get("cy")), float(c.get("r"))
        if c.get("id"):
            pads[c.get("id")] = (x, y, r)
        else:
            holes.append((x, y, r))
    for p in group.findall(SVG + "polyline"):
        nums = [float(v) for v in re.split(r"[ ,]+", p.get("points").strip())]
        tracks.append((float(p.get("stroke-width")), list(zip(nums[0::2], nums[1::2]))))
    board = next(r for r in root.findall(SVG + "rect") if r.get("fill") == "none")
    edge = (
        float(board.get("x")) - dx,
        float(board.get("y")) - dy,
        float(board.get("width")),
        float(board.get("height")),
    )
    return pads, holes, tracks, edge


def read_netlist(path):
    nets = {}
    with open(path, encoding="utf-8") as fh:
        for line in fh:
            line = line.split("#")[0].strip()
            if line:
                name, members = line.split(":")
                nets[name.strip()] = members.split()
    return nets


def seg_point(a, b, p):
    ax, ay = a
    bx, by = b
    px, py = p
    vx, vy = bx - ax, by - ay
    n = vx * vx + vy * vy
    t = 0.0 if n == 0 else max(0.0, min(1.0, ((px - ax) * vx + (py - ay) * vy) / n))
    return math.hypot(ax + t * vx - px, ay + t * vy - py)


def crosses(a, b, c, d):
    def side(p, q, r):
        return (q[0] - p[0]) * (r[1] - p[1]) - (q[1] - p[1]) * (r[0] - p[0])

    d1, d2 = side(c, d, a), side(c, d, b)
    d3, d4 = side(a, b, c), side(a, b, d)
    return d1 * d2 < 0 and d3 * d4 < 0


def seg_seg(a, b, c, d):
    if crosses(a, b, c, d):
        return 0.0
    return min(seg_point(a, b, c), seg_point(a, b, d), seg_point(c, d, a), seg_point(c, d, b))


class Shape:
    def __init__(self, kind, geom, half, label):
        self.kind, self.geom, self.half, self.label = kind, geom, half, label

    def distance(self, other):
        if self.kind == "pad" and other.kind == "pad":
            d = math.dist(self.geom, other.geom)
        elif self.kind == "pad":
            d = seg_point(*other.geom, self.geom)
        elif other.kind == "pad":
            d = seg_point(*self.geom, other.geom)
        else:
            d = seg_seg(*self.geom, *other.geom)
        return d - self.half - other.half


def shapes_of(pads, tracks):
    shapes = [Shape("pad", (x, y), r, name) for name, (x, y, r) in pads.items()]
    for i, (w, pts) in enumerate(tracks):
        for a, b in zip(pts, pts[1:]):
            shapes.append(Shape("seg", (a, b), w / 2, f"piste {i} {a}-{b}"))
    return shapes


def pieces(shapes):
    parent = list(range(len(shapes)))

    def find(i):
        while parent[i] != i:
            parent[i] = parent[parent[i]]
            i = parent[i]
        return i

    def join(i, j):
        parent[find(i)] = find(j)

    labels = {s.label: i for i, s in enumerate(shapes)}
    for i, s in enumerate(shapes):
        for j in range(i + 1, len(shapes)):
            if s.distance(shapes[j]) < -1e-6:
                join(i, j)
    for i, s in enumerate(shapes):  # the segments of one polyline
        if s.kind == "seg":
            nxt = i + 1
            if nxt < len(shapes) and shapes[nxt].kind == "seg" and shapes[nxt].label.split()[1] == s.label.split()[1]:
                join(i, nxt)
    for name in labels:  # straps
        m = re.fullmatch(r"(ST\d+)\.1", name)
        if m and f"{m.group(1)}.2" in labels:
            join(labels[name], labels[f"{m.group(1)}.2"])
    return [find(i) for i in range(len(shapes))]


def check(folder, netlist):
    errors = []
    pads, holes, tracks, edge = read_copper(os.path.join(folder, "board-tracks.svg"))
    nets = read_netlist(netlist)
    shapes = shapes_of(pads, tracks)
    piece = pieces(shapes)
    index = {s.label: i for i, s in enumerate(shapes)}

    owner = {}
    for net, members in nets.items():
        missing = [m for m in members if m not in index]
        if missing:
            errors.append(f"{net}: pastilles absentes {missing}")
            continue
        got = {piece[index[m]] for m in members}
        if len(got) > 1:
            errors.append(f"{net}: coupé en {len(got)} morceaux")
        for g in got:
            if g in owner and owner[g] != net:
                errors.append(f"{net} et {owner[g]} reliés")
            owner[g] = net
    wired = {m for members in nets.values() for m in members}
    for name in pads:
        if name not in wired and not name.startswith("ST"):
            mates = [s.label for i, s in enumerate(shapes) if piece[i] == piece[index[name]] and s.label != name]
            if mates:
                errors.append(f"{name} non câblé touche {mates[0]}")

    worst, closest = math.inf, ""
    for i, s in enumerate(shapes):
        for j in range(i + 1, len(shapes)):
            if piece[i] != piece[j]:
                gap = s.distance(shapes[j])
                if gap < worst:
                    worst, closest = gap, f"{s.label} / {shapes[j].label}"
                if gap < CLEARANCE - 1e-6:
                    errors.append(f"isolement {gap:.2f} mm entre {s.label} et {shapes[j].label}")

    x0, y0, w, h = edge
    for s in shapes:
        pts = [s.geom] if s.kind == "pad" else list(s.geom)
        for x, y in pts:
            if min(x - x0, x0 + w - x, y - y0, y0 + h - y) - s.half < EDGE - 1e-6:
                errors.append(f"{s.label} trop près du bord")

    for wdt, _ in tracks:
        if wdt < MIN_TRACK:
            errors.append(f"piste de {wdt} mm")
    drills = {(round(x, 3), round(y, 3)): r for x, y, r in holes}
    for name, (x, y, r) in pads.items():
        least = MIN_BANANA_PAD if name.startswith("B") else MIN_PAD
        if 2 * r < least - 1e-6:
            errors.append(f"{name}: pastille de {2 * r} mm")
        hole = drills.get((round(x, 3), round(y, 3)))
        if hole is None or r - hole < 0.5 - 1e-6:
            errors.append(f"{name}: perçage absent ou couronne trop fine")

    comp = ET.parse(os.path.join(folder, "board-components.svg")).getroot()
    group = next(g for g in comp.iter(SVG + "g") if g.get("id") == "pads")
    for c in group.findall(SVG + "circle"):
        name = c.get("id")
        if name in pads:
            if abs(float(c.get("cx")) - pads[name][0]) > 1e-3 or abs(float(c.get("cy")) - pads[name][1]) > 1e-3:
                errors.append(f"{name}: pas à la même place dans l'implantation")
    placed = {c.get("id") for c in group.findall(SVG + "circle")}
    for name in pads:
        if name not in placed:
            errors.append(f"{name}: absent de l'implantation")

    for e in errors:
        print(e)
    if errors:
        print(f"{len(errors)} défauts")
        return 1
    print(f"{len(pads)} pastilles, {len(tracks)} pistes, {len(nets)} équipotentielles : conforme")
    print(f"isolement le plus faible : {worst:.2f} mm ({closest})")
    return 0


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    netlist, folder = os.path.join(here, "netlist.txt"), os.path.join(here, "..", "..", "resources")
    rest = list(argv)
    if "--netlist" in rest:
        i = rest.index("--netlist")
        netlist = rest[i + 1]
        del rest[i : i + 2]
    if rest:
        folder = rest[0]
    return check(folder, netlist)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
