"""Geometry of the RS-232 test board: pads, tracks and straps, in millimetres.

Board coordinates: origin at the top left corner of the board, x to the right, y down,
seen from the component side. The track drawing uses the same coordinates (copper seen
through the board), so a pad has one position in both drawings.
"""

BOARD_W = 160.0  # Eurocard, 160 x 100 mm
BOARD_H = 100.0

SIGNAL = 1.0  # track widths
GROUND = 1.5

DB25_PITCH = 2.77
DB25_ROWS = 2.84
DB25_MOUNT = 47.04
DIP_PITCH = 2.54
DIP_ROWS = 7.62
R_SPAN = 15.24  # resistor lead spacing, lying flat

# pad kinds: (pad diameter, drill diameter)
PAD_DB25 = (2.2, 1.0)
PAD_SMALL = (2.0, 0.8)
PAD_LEAD = (2.5, 0.8)  # where the neighbours leave room
PAD_BANANA = (4.0, 2.0)
PAD_MOUNT = (4.4, 3.1)
PAD_CORNER = (5.0, 3.2)


class Pad:
    def __init__(self, ref, pin, x, y, kind):
        self.ref, self.pin, self.x, self.y = ref, pin, round(x, 3), round(y, 3)
        self.diameter, self.drill = kind

    @property
    def name(self):
        return f"{self.ref}.{self.pin}"


pads = []
tracks = []  # (net, width, [(x, y), ...])
straps = []  # (ref, (x1, y1), (x2, y2))


def pad(ref, pin, x, y, kind=PAD_SMALL):
    p = Pad(ref, pin, x, y, kind)
    pads.append(p)
    return p


def track(net, points, width=SIGNAL):
    tracks.append((net, width, [(round(x, 3), round(y, 3)) for x, y in points]))


# --- connectors -------------------------------------------------------------------------
# Right-angle female DB25, mating face at the board edge. Row 1 (pins 1-13) is the inner
# row, row 2 (14-25) the outer one. Seen from the component side with the face to the left
# (J1), pin 1 is at the bottom; J2 is the same part turned half a turn.

J1_CY = 38.0
J2_CY = 50.16
OUTER_X = 9.0


def db25_pin(pin, cy, right):
    if pin <= 13:
        x, y = OUTER_X + DB25_ROWS, cy + (7 - pin) * DB25_PITCH
    else:
        x, y = OUTER_X, cy + (6.5 - (pin - 13)) * DB25_PITCH
    if right:
        x, y = BOARD_W - x, 2 * cy - y
    return x, y


def db25(ref, cy, right):
    for pin in range(1, 26):
        x, y = db25_pin(pin, cy, right)
        pad(ref, pin, x, y, PAD_DB25)
    mx = BOARD_W - OUTER_X if right else OUTER_X
    pad(ref, "M1", mx, cy - DB25_MOUNT / 2, PAD_MOUNT)
    pad(ref, "M2", mx, cy + DB25_MOUNT / 2, PAD_MOUNT)


db25("J1", J1_CY, False)
db25("J2", J2_CY, True)


def j1(pin):
    return db25_pin(pin, J1_CY, False)


def j2(pin):
    return db25_pin(pin, J2_CY, True)


# --- switch block -----------------------------------------------------------------------
SW_X = 82.0  # left row (pins 1-8)
SW_Y = 40.0  # pin 1
SW_RIGHT = SW_X + DIP_ROWS


def level(k):
    """Height of switch k (1 at the top)."""
    return SW_Y + (k - 1) * DIP_PITCH


for k in range(1, 9):
    pad("SW1", k, SW_X, level(k))
    pad("SW1", 17 - k, SW_RIGHT, level(k))

# switch k joins J1's line (left) to J2's line (right)
SWITCHES = ["DCD", "GND", "DSR", "CTS", "RTS", "RxD", "TxD", "DTR"]

# --- indicators, resistors, sockets (on J1's side) ---------------------------------------
LED_TOP = 21.46  # LED pad on the ground side
LED_BOTTOM = LED_TOP + 2.54  # LED pad on the resistor side (green anode)
TRUNK_Y = 17.5  # ground trunk
DCD_Y = 13.0
RI_Y = 8.0

# line, bus height (= switch level), column of its resistor and LED
LINES = [
    ("DSR", level(3), 42.0),
    ("CTS", level(4), 48.4),
    ("RTS", level(5), 54.8),
    ("RxD", level(6), 61.2),
    ("TxD", level(7), 67.6),
    ("DTR", level(8), 74.0),
]
# numbering of resistors, LEDs and sockets
NUMBER = {"DCD": 1, "DSR": 2, "CTS": 3, "RTS": 4, "RxD": 5, "TxD": 6, "DTR": 7}

for name, y, x in LINES:
    n = NUMBER[name]
    pad(f"R{n}", 1, x, y, PAD_LEAD)
    pad(f"R{n}", 2, x, y - R_SPAN, PAD_LEAD)
    pad(f"D{n}", "A", x, LED_BOTTOM)
    pad(f"D{n}", "K", x, LED_TOP)
    track(f"L{n}", [(x, LED_BOTTOM), (x, y - R_SPAN)])
    track("GND", [(x, LED_TOP), (x, TRUNK_Y)])

# DCD: its line runs above the ground trunk, its resistor bridges the trunk
R1_X, D1_X = 27.0, 31.0
pad("R1", 1, R1_X, DCD_Y, PAD_LEAD)
pad("R1", 2, R1_X, DCD_Y + 10.16, PAD_LEAD)
pad("D1", "A", D1_X, LED_BOTTOM)
pad("D1", "K", D1_X, LED_TOP)
track("L1", [(R1_X, DCD_Y + 10.16), (D1_X, LED_BOTTOM)])
track("GND", [(D1_X, LED_TOP), (D1_X, TRUNK_Y)])

# banana sockets: two staggered columns on the fanned-out lines
BANANA_A, BANANA_B = 24.0, 31.0
FAN = {  # line: height between the connector and the resistors, socket column
    "DSR": (42.5, BANANA_A),
    "CTS": (47.0, BANANA_B),
    "RTS": (51.5, BANANA_A),
    "RxD": (56.0, BANANA_B),
    "TxD": (60.5, BANANA_A),
    "DTR": (65.0, BANANA_B),
}
for name, (y, x) in FAN.items():
    pad(f"B{NUMBER[name]}", 1, x, y, PAD_BANANA)
pad("B1", 1, 20.0, DCD_Y, PAD_BANANA)
pad("B8", 1, 24.0, 31.0, PAD_BANANA)

# board fixing holes
for i, (x, y) in enumerate([(4.0, 4.0), (156.0, 4.0), (4.0, 96.0), (156.0, 96.0)], 1):
    pad(f"H{i}", 1, x, y, PAD_CORNER)

# --- J1 side tracks -----------------------------------------------------------------------
FAN_X = 14.0  # where the lines leave the connector's row and fan out
BUS_X = 34.0  # where they come together again for the resistors
J1_PINS = {"DSR": 6, "CTS": 5, "RTS": 4, "RxD": 3, "TxD": 2}


def fan_line(name, start):
    fy, _ = FAN[name]
    by = dict((n, y) for n, y, _ in LINES)[name]
    sx, sy = start
    drop = fy - sy
    rise = fy - by
    pts = [start, (FAN_X, sy), (FAN_X + drop, fy), (BUS_X, fy)]
    pts += [(BUS_X + abs(rise), by), (SW_X, by)]
    return pts


for name, pin in J1_PINS.items():
    track(f"{name}1", fan_line(name, j1(pin)))

x20, y20 = j1(20)
DTR_LANE = 6.8
track("DTR1", [(x20, y20), (DTR_LANE, y20), (DTR_LANE, 57.3)] + fan_line("DTR", (FAN_X, 57.3))[1:])

x8, y8 = j1(8)
DCD_X = 14.0
track("DCD1", [(x8, y8), (DCD_X, y8), (DCD_X, DCD_Y), (79.0, DCD_Y), (79.0, level(1)), (SW_X, level(1))])

x7, y7 = j1(7)
GND_X = 16.0
track(
    "GND",
    [(x7, y7), (GND_X, y7), (GND_X, TRUNK_Y), (77.0, TRUNK_Y), (77.0, level(2)), (SW_X, level(2))],
    GROUND,
)
track("GND", [(GND_X, 31.0), (24.0, 31.0)], GROUND)

# RI: straight through along the top edge
x22, y22 = j1(22)
RI_LANE_1 = 4.5
RI_LANE_2 = BOARD_W - 4.8
x22b, y22b = j2(22)
track("RI", [(x22, y22), (RI_LANE_1, y22), (RI_LANE_1, RI_Y), (RI_LANE_2, RI_Y), (RI_LANE_2, y22b), (x22b, y22b)])

# --- J2 side --------------------------------------------------------------------------------
# TxD, RxD and DTR of J2 pass over the switch block and come down between its two rows,
# which turns their order over; the five other lines are turned over by four straps.
LANE = [SW_X + 1.0 + 0.655 + 0.5 + i * 1.655 for i in range(3)]  # 84.155, 85.81, 87.465

x20b, y20b = j2(20)
DTR_LANE_2 = BOARD_W - 6.8
track(
    "DTR2",
    [(x20b, y20b), (DTR_LANE_2, y20b), (DTR_LANE_2, 31.3), (LANE[0], 31.3), (LANE[0], level(8)), (SW_RIGHT, level(8))],
)
x2, y2 = j2(2)
track("TxD2", [(x2, y2), (146.5, y2), (143.19, 33.0), (LANE[1], 33.0), (LANE[1], level(7)), (SW_RIGHT, level(7))])
x3, y3 = j2(3)
track("RxD2", [(x3, y3), (146.77, y3), (142.39, 34.7), (LANE[2], 34.7), (LANE[2], level(6)), (SW_RIGHT, level(6))])

# staircase of straps
L = [level(k) for k in range(1, 7)]  # L[0] .. L[5]
STRAP_X = [134.0, 124.0, 114.0, 104.0]
JOG = 2.54


def stair(start_level, entry, jogs_before):
    """Points of a line entering the staircase at L[start_level] and moving one level
    down after each of the first `jogs_before` straps."""
    pts = [entry]
    lv = start_level
    for i in range(jogs_before):
        x0 = STRAP_X[i] - 2.0
        pts += [(x0, L[lv]), (x0 - JOG, L[lv + 1])]
        lv += 1
    return pts, lv


def j2_entry(pin, lv):
    x, y = j2(pin)
    return [(x, y), (145.5, y), (145.5 - abs(L[lv] - y), L[lv])]


# RTS (pin 4) enters at L1, jogs after each of the four straps, ends at L4 = switch 5
pts, lv = stair(1, j2_entry(4, 1)[-1], 3)
track("RTS2", j2_entry(4, 1)[:-1] + pts + [(SW_RIGHT, L[lv])])

# CTS (pin 5) enters at L2, jogs three times to L5, strap ST4 up to L3 = switch 4
pts, lv = stair(2, j2_entry(5, 2)[-1], 3)
track("CTS2", j2_entry(5, 2)[:-1] + pts + [(STRAP_X[3], L[5])])
track("CTS2", [(STRAP_X[3], L[3]), (SW_RIGHT, L[3])])

# DSR (pin 6) enters at L3, jogs twice to L5, strap ST3 up to L2 = switch 3
pts, lv = stair(3, j2_entry(6, 3)[-1], 2)
track("DSR2", j2_entry(6, 3)[:-1] + pts + [(STRAP_X[2], L[5])])
track("DSR2", [(STRAP_X[2], L[2]), (SW_RIGHT, L[2])])

# GND (pin 7) enters at L4, jogs once to L5, strap ST2 up to L1 = switch 2
pts, lv = stair(4, j2_entry(7, 4)[-1], 1)
track("GND2", j2_entry(7, 4)[:-1] + pts + [(STRAP_X[1], L[5])], GROUND)
track("GND2", [(STRAP_X[1], L[1]), (SW_RIGHT, L[1])], GROUND)

# DCD (pin 8) enters at L5, strap ST1 up to L0 = switch 1
track("DCD2", j2_entry(8, 5) + [(STRAP_X[0], L[5])])
track("DCD2", [(STRAP_X[0], L[0]), (SW_RIGHT, L[0])])

for i, (x, top) in enumerate(zip(STRAP_X, [0, 1, 2, 3]), 1):
    a = pad(f"ST{i}", 1, x, L[5], PAD_LEAD)
    b = pad(f"ST{i}", 2, x, L[top], PAD_LEAD)
    straps.append((f"ST{i}", (a.x, a.y), (b.x, b.y)))
