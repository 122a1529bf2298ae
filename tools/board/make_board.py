#!/usr/bin/env python3
"""Writes the component layout and the track layout of the test board.

    python3 tools/board/make_board.py [--check] [resources-folder]

With --check, writes nothing and fails when a drawing differs from what it would write.

Both drawings are 170 x 130 mm, one user unit = 1 mm, the board at (5, 5).
"""

import os
import sys

sys.dont_write_bytecode = True
import board_layout as B  # noqa: E402

W, H = 170, 130
OX, OY = 5.0, 5.0
INK = "#1a1a1a"
FONT = 'font-family="DejaVu Sans, Liberation Sans, sans-serif"'
BAR_X, BAR_Y = 10.0, 113.0  # left end and axis of the 50 mm scale bar


def f(v):
    return f"{v:.3f}".rstrip("0").rstrip(".")


def pts(points):
    return " ".join(f"{f(x)},{f(y)}" for x, y in points)


def text(x, y, s, size=2.5, anchor="start", weight=None, extra="", fill=INK):
    w = f' font-weight="{weight}"' if weight else ""
    return (
        f'<text x="{f(x)}" y="{f(y)}" {FONT} font-size="{f(size)}"{w} '
        f'text-anchor="{anchor}" fill="{fill}"{extra}>{s}</text>'
    )


def header(comment):
    return [
        '<?xml version="1.0" encoding="UTF-8"?>',
        f"<!-- {comment} -->",
        '<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny"',
        f'     width="{W}mm" height="{H}mm" viewBox="0 0 {W} {H}">',
        f'  <rect x="0" y="0" width="{W}" height="{H}" fill="#ffffff"/>',
    ]


def scale_bar():
    """A 50 mm bar, its ticks kept apart from it so that the bar alone can be measured."""
    x0, x1, y = BAR_X, BAR_X + 50.0, BAR_Y
    out = [f'  <rect id="scale-bar" x="{f(x0)}" y="{f(y - 0.25)}" width="50" height="0.5" fill="#000000"/>']
    for x in (x0, x1 - 0.35):
        out.append(f'  <rect x="{f(x)}" y="{f(y - 2.25)}" width="0.35" height="1.5" fill="{INK}"/>')
        out.append(f'  <rect x="{f(x)}" y="{f(y + 0.75)}" width="0.35" height="1.5" fill="{INK}"/>')
    out.append("  " + text((x0 + x1) / 2, y + 5.0, "50 mm", anchor="middle"))
    return out


def outline():
    return (
        f'  <rect x="{f(OX)}" y="{f(OY)}" width="{f(B.BOARD_W)}" height="{f(B.BOARD_H)}" '
        f'fill="none" stroke="{INK}" stroke-width="0.35"/>'
    )


# --- track layout -------------------------------------------------------------------------


def copper():
    out = [f'  <g id="copper" transform="translate({f(OX)},{f(OY)})">']
    for net, width, p in B.tracks:
        out.append(
            f'    <polyline points="{pts(p)}" fill="none" stroke="#000000" '
            f'stroke-width="{f(width)}" stroke-linecap="round" stroke-linejoin="round"/>'
        )
    for p in B.pads:
        out.append(f'    <circle id="{p.name}" cx="{f(p.x)}" cy="{f(p.y)}" r="{f(p.diameter / 2)}" fill="#000000"/>')
    for p in B.pads:
        out.append(f'    <circle cx="{f(p.x)}" cy="{f(p.y)}" r="{f(p.drill / 2)}" fill="#ffffff"/>')
    # copper lettering, drawn mirrored: it reads right on the etched copper
    out.append('    <g transform="translate(140,88) scale(-1,1)">')
    out.append("      " + text(0, 0, "SERLINQ RS-232C", size=3.5, weight="bold", fill="#000000"))
    out.append("      " + text(0, 5, "carte d'essai - côté cuivre", size=2.5, fill="#000000"))
    out.append("    </g>")
    out.append("  </g>")
    return out


def tracks_svg():
    out = header(
        "Test board, track layout: the copper seen through the board from the component side, "
        "1 unit = 1 mm, to be printed at true scale on transparent film."
    )
    out.append(outline())
    out += copper()
    out += scale_bar()
    notes = [
        "Côté cuivre vu du côté composants, par transparence :",
        "les pastilles sont aux places de l'implantation.",
        "Film : imprimer sans miroir, à l'échelle 1, puis poser la",
        "face imprimée (toner) contre le cuivre ; le texte SERLINQ",
        "se lit alors à l'endroit sur le cuivre gravé.",
    ]
    for i, note in enumerate(notes):
        out.append("  " + text(70, 111 + i * 3.4, note, size=2.5))
    drills = "Perçages : 0,8 mm ; DB25 : 1 mm ; douilles : 2 mm ; fixations : 3,1 et 3,2 mm."
    out.append("  " + text(70, 128.4, drills, size=2.0))
    out.append("</svg>")
    return "\n".join(out) + "\n"



# --- component layout ---------------------------------------------------------------------

LINE = f'fill="none" stroke="{INK}" stroke-width="0.25" stroke-linecap="round" stroke-linejoin="round"'
OUTLINE = f'fill="none" stroke="{INK}" stroke-width="0.35" stroke-linecap="round" stroke-linejoin="round"'
LABEL = 2.0  # references on the crowded parts of the board
NAMES = {n: name for name, n in B.NUMBER.items()}
NAMES[8] = "Masse"


def rect(x, y, w, h, style=OUTLINE, fill=None):
    if fill:
        style = style.replace('fill="none"', f'fill="{fill}"')
    return f'<rect x="{f(x)}" y="{f(y)}" width="{f(w)}" height="{f(h)}" {style}/>'


def line(a, b, style=LINE):
    return f'<line x1="{f(a[0])}" y1="{f(a[1])}" x2="{f(b[0])}" y2="{f(b[1])}" {style}/>'


def circle(x, y, r, style=OUTLINE, fill=None):
    if fill:
        style = style.replace('fill="none"', f'fill="{fill}"')
    return f'<circle cx="{f(x)}" cy="{f(y)}" r="{f(r)}" {style}/>'


def vtext(x, y, s, size=LABEL):
    """Text read from the right-hand edge of the board, along a vertical part."""
    return text(0, 0, s, size=size, anchor="middle", extra=f' transform="translate({f(x)},{f(y)}) rotate(-90)"')


def connector(ref, cy, right):
    out = []
    sx = (lambda x: B.BOARD_W - x) if right else (lambda x: x)
    flange = (sx(0.0), sx(1.2))
    body = (sx(1.2), sx(15.5))
    out.append(rect(min(flange), cy - 26.5, 1.2, 53.0, fill="#c8c8c8"))
    out.append(rect(min(body), cy - 20.0, 14.3, 40.0, fill="#e8e8e8"))
    mid = (body[0] + body[1]) / 2
    out.append(vtext(mid + (4.0 if right else -4.0), cy, f"{ref}  DB25 femelle coudé", size=2.5))
    return out


def switch_block():
    out = [rect(B.SW_X - 2.2, B.SW_Y - 2.6, B.DIP_ROWS + 4.4, 8 * B.DIP_PITCH + 2.6, fill="#e8e8e8")]
    # notch at the end of pin 1
    cx = B.SW_X + B.DIP_ROWS / 2
    out.append(f'<path d="M {f(cx - 1.2)},{f(B.SW_Y - 2.6)} A 1.2 1.2 0 0 0 {f(cx + 1.2)},{f(B.SW_Y - 2.6)}" {LINE}/>')
    for k in range(1, 9):
        y = B.level(k)
        out.append(rect(B.SW_X + 1.6, y - 0.7, B.DIP_ROWS - 3.2, 1.4, LINE, fill="#ffffff"))
        out.append(rect(B.SW_X + 1.6, y - 0.7, 1.4, 1.4, LINE, fill=INK))
        out.append(text(B.SW_RIGHT + 2.0, y + 0.7, f"{k} {B.SWITCHES[k - 1].replace('GND', 'Masse')}", size=LABEL))
    out.append(text(B.SW_X - 2.2, B.SW_Y - 6.0, "SW1", size=2.5, weight="bold"))
    out.append(text(B.SW_X - 1.8, B.SW_Y - 3.2, "ON", size=LABEL))
    return out


def resistor(n):
    (x, y1), (_, y2) = [(p.x, p.y) for p in B.pads if p.ref == f"R{n}"]
    top, bottom = min(y1, y2), max(y1, y2)
    mid = (top + bottom) / 2
    out = [line((x, top), (x, mid - 3.2)), line((x, mid + 3.2), (x, bottom))]
    out.append(rect(x - 1.2, mid - 3.2, 2.4, 6.4, fill="#e8e8e8"))
    out.append(vtext(x + 0.7, mid, "3,3 k", size=1.8))
    if n == 1:  # its LED stands at its right
        out.append(text(x - 1.6, mid + 0.7, f"R{n}", size=LABEL, anchor="end"))
    else:
        out.append(text(x + 1.6, top + 2.4, f"R{n}", size=LABEL))
    return out


def led(n):
    a = next(p for p in B.pads if p.name == f"D{n}.A")
    k = next(p for p in B.pads if p.name == f"D{n}.K")
    cx, cy = a.x, (a.y + k.y) / 2
    out = [f'<path d="M {f(cx - 2.5)},{f(cy - 1.2)} A 2.75 2.75 0 1 1 {f(cx - 2.5)},{f(cy + 1.2)} Z" {OUTLINE}/>']
    out.append(text(cx, a.y + 3.6, "+", size=LABEL, anchor="middle"))
    out.append(text(cx, k.y - 1.9, f"D{n}", size=LABEL, anchor="middle"))
    out.append(text(cx, k.y - 4.4, NAMES[n], size=LABEL, anchor="middle"))
    return out


def socket(n):
    p = next(p for p in B.pads if p.name == f"B{n}.1")
    out = [circle(p.x, p.y, 2.6, fill="#e8e8e8")]
    if n == 1:  # above, between the connector and its resistor
        out.append(text(p.x, p.y - 3.4, f"B{n} {NAMES[n]}", size=LABEL, anchor="middle"))
        return out
    left = abs(p.x - B.BANANA_A) < 1e-6
    x, anchor = (p.x - 3.0, "end") if left else (p.x + 3.0, "start")
    out.append(text(x, p.y - 0.3, f"B{n}", size=LABEL, anchor=anchor))
    out.append(text(x, p.y + 2.0, NAMES[n], size=LABEL, anchor=anchor))
    return out


def pads_group():
    out = [f'  <g id="pads" transform="translate({f(OX)},{f(OY)})">']
    ring = LINE.replace('fill="none"', 'fill="#ffffff"')
    for p in B.pads:
        out.append(f'    <circle id="{p.name}" cx="{f(p.x)}" cy="{f(p.y)}" r="{f(p.diameter / 2)}" {ring}/>')
        out.append(f'    <circle cx="{f(p.x)}" cy="{f(p.y)}" r="{f(p.drill / 2)}" fill="{INK}"/>')
    out.append("  </g>")
    return out


def straps():
    out = []
    for ref, a, b in B.straps:
        out.append(line(a, b, OUTLINE.replace('stroke-width="0.35"', 'stroke-width="0.7"')))
        out.append(text(a[0] + 1.6, (a[1] + b[1]) / 2 + 0.7, ref, size=LABEL))
    return out


LEGEND = [
    "SW1 fermé (ON) : la ligne passe de J1 à J2 ; ouvert : elle est coupée.",
    "D1 à D7 : DEL bicolores basse consommation, vert = tension positive, rouge = négative",
    "(+ : patte de l'anode verte, côté résistance). R1 à R7 : 3,3 kΩ 1/4 W.",
    "Numéros des D, R et B : 1 DCD, 2 DSR, 3 CTS, 4 RTS, 5 RxD, 6 TxD, 7 DTR, 8 Masse.",
    "B1 à B8 : douilles pour fiches bananes de 2 mm. ST1 à ST4 : straps (fil nu) côté composants.",
    "Voyants et douilles sont du côté de J1. RI (broche 22) va de J1 à J2 sans interrupteur.",
]


def components_svg():
    out = header(
        "Test board, component layout seen from the component side, 1 unit = 1 mm, "
        "to be printed at true scale; the track layout uses the same coordinates."
    )
    out.append(outline())
    out.append(f'  <g id="parts" transform="translate({f(OX)},{f(OY)})">')
    body = connector("J1", B.J1_CY, False) + connector("J2", B.J2_CY, True) + switch_block()
    for n in range(1, 8):
        body += resistor(n) + led(n)
    for n in range(1, 9):
        body += socket(n)
    body += straps()
    for i, ln in enumerate(LEGEND):
        body.append(text(22.0, 72.0 + i * 3.6, ln, size=2.5))
    out += ["    " + b for b in body]
    out.append("  </g>")
    out += pads_group()
    out += scale_bar()
    out.append("  " + text(70, 111, "Implantation des composants, vue côté composants,", size=2.5))
    out.append("  " + text(70, 114.4, "à imprimer à l'échelle 1 (la barre doit mesurer 50 mm).", size=2.5))
    out.append("</svg>")
    return "\n".join(out) + "\n"



# --- schematic (px) ---------------------------------------------------------------------

SW = 1000, 790
PX = f'fill="none" stroke="{INK}" stroke-width="2" stroke-linecap="round" stroke-linejoin="round"'
THIN = f'fill="none" stroke="{INK}" stroke-width="1" stroke-linecap="round" stroke-linejoin="round"'
COLOUR = {"TxD": "#c00000", "RxD": "#0050c0", "RTS": "#008000", "CTS": "#008000", "DSR": "#b06000",
          "DCD": "#b06000", "DTR": "#b06000", "GND": INK, "RI": "#7030a0"}
# line, DB25 pin, switch of SW1
ROWS = [("TxD", 2, 7), ("RxD", 3, 6), ("RTS", 4, 5), ("CTS", 5, 4), ("DSR", 6, 3), ("DCD", 8, 1), ("DTR", 20, 8)]
ROW0, PITCH = 104, 62
J1_EDGE, J2_EDGE = 140, 860
SOCKET_X, NODE_X, SWITCH_X = 190, 236, 600


def wire(points, colour):
    return (
        f'<polyline points="{pts(points)}" fill="none" stroke="{colour}" stroke-width="2" '
        'stroke-linecap="round" stroke-linejoin="round"/>'
    )


def ptext(x, y, s, size=12, anchor="start", weight=None):
    return text(x, y, s, size=size, anchor=anchor, weight=weight)


def dot(x, y):
    return f'<circle cx="{x}" cy="{y}" r="3.5" fill="{INK}"/>'


def ground(x, y):
    return [line((x, y), (x, y + 8), PX), line((x - 10, y + 8), (x + 10, y + 8), PX),
            line((x - 6, y + 12), (x + 6, y + 12), PX), line((x - 2, y + 16), (x + 2, y + 16), PX)]


def socket_symbol(x, y, n, name):
    return [line((x, y), (x, y - 12), PX), circle(x, y - 18, 6, PX, fill="#ffffff"), dot(x, y - 18),
            ptext(x + 11, y - 14, f"B{n}", size=10)]


def switch_symbol(x, y, k, colour_in, colour_out):
    return [wire([(J1_EDGE, y), (x, y)], colour_in), wire([(x + 50, y), (J2_EDGE, y)], colour_out),
            circle(x, y, 3.5, PX, fill="#ffffff"), circle(x + 50, y, 3.5, PX, fill="#ffffff"),
            line((x + 3, y - 2), (x + 46, y - 14), PX),
            ptext(x + 25, y - 20, f"SW1-{k}", size=10, anchor="middle"),
            ptext(x - 2, y + 15, str(k), size=10, anchor="middle"),
            ptext(x + 52, y + 15, str(17 - k), size=10, anchor="middle")]


def led_chain(y, n):
    b = y + 24
    out = [line((NODE_X, y), (NODE_X, b), PX), line((NODE_X, b), (262, b), PX),
           rect(262, b - 7, 52, 14, PX, fill="#ffffff"), line((314, b), (340, b), PX),
           ptext(288, b + 24, f"R{n}  3,3 kΩ", size=10, anchor="middle")]
    # two LEDs head to tail: green conducts from the line to ground, red the other way
    out += [line((340, b - 9), (340, b + 9), PX), line((400, b - 9), (400, b + 9), PX)]
    for yy, right, colour in ((b - 9, True, "#00a000"), (b + 9, False, "#d00000")):
        out += [line((340, yy), (360, yy), PX), line((380, yy), (400, yy), PX)]
        tip, base = (380, 360) if right else (360, 380)
        out.append(
            f'<polygon points="{base},{yy - 6} {base},{yy + 6} {tip},{yy}" fill="{colour}" '
            f'stroke="{INK}" stroke-width="1.5" stroke-linejoin="round"/>'
        )
        out.append(line((tip, yy - 6), (tip, yy + 6), PX))
    out += [ptext(370, b + 24, f"D{n}", size=10, anchor="middle"), line((400, b), (430, b), PX)] + ground(430, b)
    return out


def connector_block(x, title):
    out = [rect(x, ROW0 - 34, 80, PITCH * 9 - 10, PX, fill="#e8e8e8"),
           ptext(x + 40, ROW0 - 44, title, size=12, anchor="middle", weight="bold")]
    return out


def schematic_svg():
    out = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        "<!-- Test board, schematic: two female DB25 wired pin to pin through eight switches, "
        "a two-colour LED with its resistor and a socket on each line at J1. -->",
        '<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny"',
        f'     width="{SW[0]}" height="{SW[1]}" viewBox="0 0 {SW[0]} {SW[1]}">',
        f'  <rect x="0" y="0" width="{SW[0]}" height="{SW[1]}" fill="#ffffff"/>',
    ]
    body = [ptext(500, 30, "Carte d'essai RS-232C : schéma structurel", size=14, anchor="middle", weight="bold")]
    body += connector_block(J1_EDGE - 80, "J1 DB25 femelle") + connector_block(J2_EDGE, "J2 DB25 femelle")
    body += [ptext(NODE_X + 40, ROW0 - 44, "côté J1 : voyants et douilles", size=12),
             ptext(SWITCH_X + 25, ROW0 - 44, "SW1 : 8 micro-interrupteurs", size=12, anchor="middle")]
    rows = ROWS + [("RI", 22, None), ("GND", 7, 2)]
    for i, (name, pin, k) in enumerate(rows):
        y = ROW0 + i * PITCH
        colour = COLOUR[name]
        label = "Masse" if name == "GND" else name
        body += [ptext(J1_EDGE - 72, y + 4, label, size=12), ptext(J1_EDGE - 6, y - 4, str(pin), size=10, anchor="end"),
                 ptext(J2_EDGE + 72, y + 4, label, size=12, anchor="end"), ptext(J2_EDGE + 6, y - 4, str(pin), size=10)]
        if k is None:
            body.append(wire([(J1_EDGE, y), (J2_EDGE, y)], colour))
            body.append(ptext(500, y - 6, "RI (sonnerie) : relié directement", size=10, anchor="middle"))
            continue
        body += switch_symbol(SWITCH_X, y, k, colour, colour)
        n = 8 if name == "GND" else B.NUMBER[name]
        body += socket_symbol(SOCKET_X, y, n, name) + [dot(SOCKET_X, y)]
        if name != "GND":
            body += [dot(NODE_X, y)] + led_chain(y, n)
        else:
            body += [line((NODE_X, y), (NODE_X, y + 6), PX)] + ground(NODE_X, y + 6)
    legend = [
        "SW1 : chaque interrupteur fermé (ON) relie la ligne de J1 à celle de J2 ; ouvert, il la coupe.",
        "Interrupteurs : 1 DCD, 2 Masse, 3 DSR, 4 CTS, 5 RTS, 6 RxD, 7 TxD, 8 DTR ; RI (broche 22) passe sans interrupteur.",
        "D1 à D7 : DEL bicolores basse consommation à deux pattes (une verte et une rouge tête-bêche) :",
        "vert = tension positive (espace sur TxD et RxD, signal actif sur les autres lignes), rouge = tension négative.",
        "R1 à R7 : 3,3 kΩ 1/4 W : environ 3 mA sous 12 V et 1 mA sous 5 V, "
        "loin des 10 mA que débite un émetteur en court-circuit.",
        "B1 à B8 : douilles pour fiches bananes de 2 mm, pour la mesure. Les numéros 1 à 7 suivent les lignes : 1 DCD,",
        "2 DSR, 3 CTS, 4 RTS, 5 RxD, 6 TxD, 7 DTR ; B8 est la masse.",
    ]
    for i, s in enumerate(legend):
        body.append(ptext(60, 664 + i * 16, s, size=12))
    out += ["  " + b for b in body]
    out.append("</svg>")
    return "\n".join(out) + "\n"


DRAWINGS = {
    "board-tracks.svg": tracks_svg,
    "board-components.svg": components_svg,
    "board-schematic.svg": schematic_svg,
}


def write(folder):
    for name, make in DRAWINGS.items():
        with open(os.path.join(folder, name), "w", encoding="utf-8") as fh:
            fh.write(make())


def stale(folder):
    """Names of the drawings in `folder` that differ from what this script writes."""
    out = []
    for name, make in DRAWINGS.items():
        path = os.path.join(folder, name)
        if not os.path.exists(path) or open(path, encoding="utf-8").read() != make():
            out.append(name)
    return out


if __name__ == "__main__":
    args = [a for a in sys.argv[1:] if a != "--check"]
    folder = args[0] if args else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources")
    if "--check" in sys.argv:
        names = stale(folder)
        for name in names:
            print(f"{name} : pas à jour, relancer tools/board/make_board.py")
        sys.exit(1 if names else 0)
    write(folder)
