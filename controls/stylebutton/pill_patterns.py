#!/usr/bin/env python3
"""Writes pill_patterns.cpp: the three Pill colour patterns (face and edge colours) and the
anti-aliased corner blocks derived from them.

Run once after changing an edge colour:  python3 pill_patterns.py > pill_patterns.cpp

Each corner block rounds the edge rows and columns into a quarter circle. Every edge is a
colour profile by depth from the surface edge (left and top listed outer edge inwards, right
and bottom inner side outwards, as in the pattern tables). Inside the block a pixel is
sampled 4 x 4 times; each sample takes its depth below the dark outline curve (a circle of
radius 9 whose ends meet the outline of the two edges), reads both edge profiles at that
depth and mixes them by the angle around the corner. The outline therefore turns the corner
without a seam, and the 16 samples anti-alias it into the near-white outside and into the
pattern's shading inside. Every pixel inside the window shape (the rounded rectangle with
an 18 x 18 corner ellipse) is drawn, and so is any pixel outside it within 1.5 pixels of the
outline; the rest are not drawn.
"""
import math
import re
import sys

PATTERNS = {
    "Idle": dict(
        face=(232, 231, 234),
        left="(247,247,247) (160,160,160) (153,153,153) (195,195,195) (201,201,201) (213,213,213) (215,215,215) (223,223,223) (224,224,224) (224,224,224) (228,228,228) (230,232,230) (231,231,232) (232,231,234) (232,231,234) (232,231,234) (232,231,234) (232,231,234)",
        right="(232,231,234) (232,231,234) (232,231,234) (232,231,234) (231,231,231) (230,230,230) (228,228,228) (224,224,224) (224,224,224) (222,222,222) (217,217,217) (211,211,211) (204,204,204) (195,195,195) (163,163,163) (156,156,156) (246,246,246)",
        top="(106,105,103) (246,244,245) (244,242,243) (238,238,238) (235,235,235) (234,232,235) (234,232,235) (234,234,234) (225,225,225) (227,226,229) (232,231,234) (233,235,232)",
        bottom="(233,235,232) (239,241,238) (242,242,242) (245,245,245) (254,254,255) (255,255,255) (253,253,253) (254,254,254) (251,251,251) (84,84,84) (197,197,197)",
    ),
    "Lit": dict(
        face=(106, 166, 226),
        left="(247,247,247) (158,160,176) (19,46,113) (20,95,189) (39,115,209) (49,127,212) (61,140,217) (75,148,217) (79,148,215) (85,156,220) (87,155,220) (98,163,227) (101,162,227) (103,163,226) (101,161,224) (106,166,227) (106,166,227) (106,166,226)",
        right="(106,166,226) (106,166,226) (100,164,225) (99,163,224) (99,163,224) (97,161,225) (91,159,224) (85,152,222) (82,151,220) (75,147,219) (57,141,214) (45,127,209) (38,116,214) (19,93,192) (20,53,124) (152,155,171) (246,246,246)",
        top="(8,6,69) (201,212,241) (189,200,229) (161,192,232) (152,184,224) (142,180,227) (139,177,224) (127,180,233) (99,153,206) (100,160,221) (106,166,226) (118,172,230)",
        bottom="(118,172,230) (129,182,241) (138,189,243) (146,197,252) (151,206,248) (158,213,254) (163,221,247) (173,230,255) (197,226,233) (64,93,99) (197,197,197)",
    ),
    "Down": dict(
        face=(106, 155, 204),
        left="(247,247,247) (155,157,169) (23,45,99) (29,90,166) (46,108,185) (56,119,188) (66,130,193) (78,137,194) (82,138,193) (87,145,197) (89,145,197) (99,152,204) (101,150,204) (103,151,203) (101,149,201) (106,154,204) (106,154,204) (106,155,204)",
        right="(106,155,204) (106,155,204) (100,152,202) (99,151,201) (99,151,201) (98,149,202) (93,148,201) (87,142,198) (85,140,196) (78,136,195) (62,130,190) (52,118,185) (45,109,189) (28,88,168) (25,51,109) (148,151,164) (246,246,246)",
        top="(10,9,60) (190,199,222) (178,188,211) (154,179,212) (146,172,204) (138,168,207) (135,165,204) (125,167,210) (98,142,185) (100,148,198) (106,155,204) (117,161,208)",
        bottom="(117,161,208) (127,170,218) (135,176,220) (142,184,228) (147,191,225) (153,198,231) (157,204,226) (166,213,233) (186,210,215) (62,86,90) (197,197,197)",
    ),
}

# The Idle top-left block's first two rows are given; the rest of that block and the other
# eleven blocks are derived.
IDLE_TOP_LEFT_ROWS = {
    0: (6, "(254,254,254) (230,230,230) (172,172,172) (122,122,122) (108,108,108) (107,107,107) (111,111,111) (111,111,113) (112,112,114) (102,104,103) (107,109,108) (106,105,103)"),
    1: (5, "(239,239,239) (147,147,147) (103,103,103) (121,121,121) (179,179,179) (219,219,219) (238,237,235) (246,244,245) (246,244,245) (246,244,245) (246,244,245) (246,244,245) (246,244,245)"),
}

OUTSIDE = (254, 254, 254)
RADIUS = 9.0
SAMPLES = 4
BLOCK_W = 18  # columns 0..17 from the left or right edge
BLOCK_H = 13  # rows 0..12 from the top or bottom edge


def triples(text):
    return [tuple(int(v) for v in m) for m in re.findall(r"\((\d+),(\d+),(\d+)\)", text)]


def luminance(c):
    return 0.299 * c[0] + 0.587 * c[1] + 0.114 * c[2]


def outline_centre(profile):
    """Depth of the middle of the dark outline pixel of a profile (by depth from the edge)."""
    near = profile[:4]
    darkest = min(range(len(near)), key=lambda i: luminance(near[i]))
    return darkest + 0.5


def sample(profile, depth):
    if depth < 0:
        return OUTSIDE
    i = int(math.floor(depth))
    return profile[min(i, len(profile) - 1)]


def region_inset(row):
    """First column inside the window shape in corner row `row` (0 at the surface edge): the
    rounded-region rule through the pixel centres 0..17 of the 18 x 18 corner ellipse."""
    if row >= 9:
        return 0
    c = 8.5
    dy = (c - row) / c
    reach = c * math.sqrt(max(0.0, 1.0 - dy * dy))
    return min(max(int(math.ceil(c - reach - 1e-9)), 0), 9)


def block(horizontal, vertical):
    """Pixels of one corner block as (depth across, depth down, colour), both depths counted
    from the corner's two surface edges. `horizontal` is the profile of the side edge
    (left or right), `vertical` the profile of the top or bottom edge."""
    oh, ov = outline_centre(horizontal), outline_centre(vertical)
    cx, cy = oh + RADIUS, ov + RADIUS
    pixels = []
    for dv in range(BLOCK_H):
        for du in range(BLOCK_W):
            acc = [0.0, 0.0, 0.0]
            near_outline = False
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    u = du + (sx + 0.5) / SAMPLES
                    v = dv + (sy + 0.5) / SAMPLES
                    if u >= cx and v >= cy:
                        # inside the corner: the nearer edge's shading
                        colour = sample(horizontal, u) if u - oh < v - ov else sample(vertical, v)
                        near_outline = True
                    elif u >= cx:
                        colour = sample(vertical, v)
                        near_outline = True
                    elif v >= cy:
                        colour = sample(horizontal, u)
                        near_outline = True
                    else:
                        r = math.hypot(cx - u, cy - v)
                        inside = RADIUS - r  # depth below the outline's centre line
                        if inside > -1.5:
                            near_outline = True
                        angle = math.atan2(cy - v, cx - u)  # 0 along the side edge, pi/2 along top/bottom
                        t = math.sin(angle) ** 2
                        ch = sample(horizontal, oh + inside)
                        cv = sample(vertical, ov + inside)
                        colour = tuple((1 - t) * a + t * b for a, b in zip(ch, cv))
                    for k in range(3):
                        acc[k] += colour[k]
            if not near_outline and du < region_inset(dv):
                continue
            n = SAMPLES * SAMPLES
            pixels.append((du, dv, tuple(int(round(c / n)) for c in acc)))
    return pixels


def patterns():
    out = {}
    for name, p in PATTERNS.items():
        left, right, top, bottom = (triples(p[k]) for k in ("left", "right", "top", "bottom"))
        assert (len(left), len(right), len(top), len(bottom)) == (18, 17, 12, 11), name
        # profiles by depth from the surface edge
        right_depth = list(reversed(right))
        bottom_depth = list(reversed(bottom))
        corners = {
            "TopLeft": block(left, top),
            "BottomLeft": block(left, bottom_depth),
            "TopRight": block(right_depth, top),
            "BottomRight": block(right_depth, bottom_depth),
        }
        # right blocks reach x = W - 17 only, bottom blocks y = H - 12
        for key in ("TopRight", "BottomRight"):
            corners[key] = [px for px in corners[key] if px[0] <= 16]
        for key in ("BottomLeft", "BottomRight"):
            corners[key] = [px for px in corners[key] if px[1] <= 11]
        if name == "Idle":
            given = {}
            for row, (first, text) in IDLE_TOP_LEFT_ROWS.items():
                for k, c in enumerate(triples(text)):
                    given[(first + k, row)] = c
            kept = [px for px in corners["TopLeft"] if px[1] not in IDLE_TOP_LEFT_ROWS]
            corners["TopLeft"] = sorted([(x, y, c) for (x, y), c in given.items()] + kept,
                                        key=lambda px: (px[1], px[0]))
        out[name] = dict(face=p["face"], left=left, right=right, top=top, bottom=bottom, corners=corners)
    return out


def rgb(c):
    return "0x%02X%02X%02Xu" % (c[2], c[1], c[0])


def main():
    w = sys.stdout.write
    w("// Generated by pill_patterns.py: the Pill colour patterns and their corner blocks.\n")
    w("// Edit the edge colours there and regenerate; the corner blocks follow the edges.\n")
    w('#include "pill_patterns.h"\n\n')
    w("namespace {\n\n")
    data = patterns()
    for name, p in data.items():
        for corner, pixels in p["corners"].items():
            w("constexpr PillPixel k%s%s[] = {\n" % (name, corner))
            line = "   "
            for (du, dv, c) in pixels:
                item = " {%d, %d, %s}," % (du, dv, rgb(c))
                if len(line) + len(item) > 100:
                    w(line + "\n")
                    line = "   "
                line += item
            w(line + "\n};\n\n")
    w("} // namespace\n\n")
    for name, p in data.items():
        w("const PillPattern kPill%s = {\n" % name)
        w("    %s,\n" % rgb(p["face"]))
        for key in ("left", "right", "top", "bottom"):
            w("    {%s},\n" % ", ".join(rgb(c) for c in p[key]))
        w("    {{\n")
        for corner, fromRight, fromBottom in (("TopLeft", "false", "false"), ("BottomLeft", "false", "true"),
                                              ("TopRight", "true", "false"), ("BottomRight", "true", "true")):
            w("        {k%s%s, %d, %s, %s},\n" % (name, corner, len(p["corners"][corner]), fromRight, fromBottom))
        w("    }},\n};\n\n")


if __name__ == "__main__":
    main()
