#!/usr/bin/env python3
"""A small voxel renderer for the quarter-view art: scenes are built from one-pixel voxels and drawn
exactly as the game projects them, so sprites meet their cells to the pixel.

World axes: a runs along a map column's direction (+1 column = 16 voxels), b along the rows
(+1 row = 16 voxels), h upwards in pixels. A world point (a, b, h) lands on the screen at
x = 16 + a - b, y = (a + b) / 2 - h relative to the cell point of the cell whose corner is a = b = 0,
so a 16 x 16 voxel square is exactly one 32 x 16 ground diamond.
"""
import numpy as np

# Material ramps: (shadow, base, highlight). Each becomes 16 palette entries, dark to light; the
# shadows lean to violet and the highlights to warm yellow, so every material shares one light.
MATERIALS = (
    ("stone",     (38, 36, 52),  (124, 118, 110), (222, 214, 192)),
    ("mortar",    (24, 22, 32),  (84, 78, 80),    (158, 150, 138)),
    ("brick",     (44, 22, 32),  (148, 80, 60),   (236, 178, 134)),
    ("sandstone", (58, 42, 44),  (178, 152, 110), (250, 236, 192)),
    ("slate",     (22, 26, 44),  (70, 84, 112),   (156, 176, 204)),
    ("roof",      (50, 18, 22),  (168, 78, 50),   (244, 166, 112)),
    ("wood",      (30, 18, 20),  (112, 72, 42),   (204, 156, 100)),
    ("water",     (10, 22, 60),  (42, 112, 176),  (196, 236, 252)),
    ("grass",     (14, 34, 26),  (74, 124, 52),   (188, 226, 116)),
    ("leaves",    (10, 28, 26),  (42, 98, 54),    (136, 196, 96)),
    ("iron",      (14, 16, 26),  (70, 74, 86),    (176, 182, 196)),
    ("gold",      (48, 28, 14),  (196, 146, 44),  (255, 240, 160)),
    ("cloth",     (38, 8, 24),   (172, 34, 44),   (252, 140, 126)),
    ("marble",    (58, 60, 76),  (192, 188, 188), (255, 252, 246)),
    ("earth",     (30, 20, 20),  (104, 78, 56),   (186, 156, 116)),
)
KEY_COLOUR = (255, 0, 255)
KEY_INDEX = 0
LEVELS = 16
MATERIAL = {name: number + 1 for number, (name, _, _, _) in enumerate(MATERIALS)}  # 0 = empty

# Brightness of each face kind in full light. The light comes from the right and from above, so the
# faces turned to the lower right (+a) are lit and those turned to the lower left (+b) lie in shade.
FACE_TOP, FACE_A, FACE_B = 0, 1, 2
FACE_LIGHT = np.array([1.0, 0.80, 0.56])
SHADOW = 0.62
CONTACT = 6.0  # height over which the darkening at a wall's foot fades out
LIGHT_DIRECTION = np.array([0.62, -0.30, 0.72])  # towards the light, in (a, b, h)
BAYER = np.array([[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]) / 16.0 - 0.5


def palette():
    """The 256 palette entries as a flat list: the key colour, then every material ramp."""
    colours = [KEY_COLOUR]
    for _, shadow, base, light in MATERIALS:
        for level in range(LEVELS):
            x = level / (LEVELS - 1)
            if x < 0.6:
                lo, hi, f = shadow, base, x / 0.6
            else:
                lo, hi, f = base, light, (x - 0.6) / 0.4
            colours.append(tuple(int(round(lo[i] + (hi[i] - lo[i]) * f)) for i in range(3)))
    while len(colours) < 256:
        colours.append((0, 0, 0))
    flat = []
    for colour in colours:
        flat.extend(colour)
    return flat


class Volume:
    """Voxels of one scene: a material number and a tone (brightness factor) per voxel."""

    def __init__(self, a_range, b_range, height):
        self.a0, self.a1 = a_range
        self.b0, self.b1 = b_range
        self.height = height
        shape = (self.a1 - self.a0, self.b1 - self.b0, height)
        self.material = np.zeros(shape, dtype=np.uint8)
        self.tone = np.ones(shape, dtype=np.float64)
        a = np.arange(self.a0, self.a1) + 0.5
        b = np.arange(self.b0, self.b1) + 0.5
        h = np.arange(height) + 0.5
        self.a, self.b, self.h = np.meshgrid(a, b, h, indexing="ij")

    def put(self, where, material, tone=1.0):
        """Fills the voxels selected by the boolean array `where` (tone may be an array too)."""
        self.material[where] = MATERIAL[material]
        tone_array = np.broadcast_to(np.asarray(tone, dtype=np.float64), self.material.shape)
        self.tone[where] = tone_array[where]

    def clear(self, where):
        self.material[where] = 0

    def box(self, a0, a1, b0, b1, h0, h1):
        """Selection of the voxels whose centres lie in the given half-open ranges."""
        return ((self.a >= a0) & (self.a < a1) & (self.b >= b0) & (self.b < b1)
                & (self.h >= h0) & (self.h < h1))

    def cylinder(self, ca, cb, radius, h0, h1):
        return (((self.a - ca) ** 2 + (self.b - cb) ** 2 <= radius ** 2)
                & (self.h >= h0) & (self.h < h1))

    def occupied(self, a, b, h):
        """Whether the voxels holding world points (arrays a, b, h) are filled; outside is empty."""
        ia = np.floor(a).astype(int) - self.a0
        ib = np.floor(b).astype(int) - self.b0
        ih = np.floor(h).astype(int)
        inside = ((ia >= 0) & (ia < self.material.shape[0]) & (ib >= 0) & (ib < self.material.shape[1])
                  & (ih >= 0) & (ih < self.height))
        result = np.zeros(a.shape, dtype=bool)
        result[inside] = self.material[ia[inside], ib[inside], ih[inside]] > 0
        return result, ia, ib, ih, inside


def render(volume, width, height, offset_x, offset_y, shadows=True):
    """Draws the volume into a width x height sprite whose top-left corner lies at (offset_x, offset_y)
    from the cell point of the cell at a = b = 0. Returns palette indices (KEY_INDEX where empty)."""
    px, py = np.meshgrid(np.arange(width), np.arange(height))
    sx = px + offset_x + 0.5 - 16.0
    sy = py + offset_y + 0.5
    a_ground = (sx + 2.0 * sy) / 2.0
    b_ground = (2.0 * sy - sx) / 2.0
    # Walking down the ray from the top, the ray enters a new voxel at every whole h and wherever a or b
    # passes a whole number; a and b do so a quarter and three quarters of the way between whole h.
    a_first = np.isclose(np.mod(-a_ground, 1.0), 0.75)
    found = np.zeros(px.shape, dtype=bool)
    hit_t = np.zeros(px.shape)
    face = np.zeros(px.shape, dtype=int)
    idx = np.zeros((3,) + px.shape, dtype=int)
    for k in range(volume.height - 1, -1, -1):
        for inner, crossing, entered in ((0.875, 1.0, None), (0.5, 0.75, True), (0.125, 0.25, False)):
            t = k + inner
            filled, ia, ib, ih, _ = volume.occupied(a_ground + t, b_ground + t, np.full(px.shape, t))
            new = filled & ~found
            if not new.any():
                continue
            if entered is None:
                face[new] = FACE_TOP
            else:
                through_a = a_first if entered else ~a_first
                face[new] = np.where(through_a[new], FACE_A, FACE_B)
            hit_t[new] = k + crossing
            idx[0][new], idx[1][new], idx[2][new] = ia[new], ib[new], ih[new]
            found |= new
    material = np.zeros(px.shape, dtype=int)
    brightness = np.zeros(px.shape)
    material[found] = volume.material[idx[0][found], idx[1][found], idx[2][found]]
    brightness[found] = (FACE_LIGHT[face[found]]
                         * volume.tone[idx[0][found], idx[1][found], idx[2][found]])
    if shadows:
        # Walls darken a little where they meet the ground, which seats them on the floor.
        height_at_hit = hit_t + np.where(face == FACE_TOP, 0.0, -0.5)
        brightness *= np.where(found & (face != FACE_TOP), 0.82 + 0.18 * np.clip(height_at_hit / CONTACT, 0, 1), 1.0)
        shade = np.where(_in_shadow(volume, a_ground, b_ground, hit_t, face, found), SHADOW, 1.0)
        brightness[found] *= shade[found]
    level = np.clip(np.floor(brightness * 12.0 + 0.5 + BAYER[py % 4, px % 4] * 0.9), 0, LEVELS - 1)
    result = np.full(px.shape, KEY_INDEX, dtype=np.uint8)
    result[found] = (1 + (material[found] - 1) * LEVELS + level[found]).astype(np.uint8)
    return result


def _in_shadow(volume, a_ground, b_ground, hit_t, face, found):
    normal = np.zeros((3,) + a_ground.shape)
    for axis, kind in ((2, FACE_TOP), (0, FACE_A), (1, FACE_B)):
        normal[axis][face == kind] = 1.0
    start = np.stack([a_ground + hit_t, b_ground + hit_t, hit_t]) + normal * 0.01
    direction = LIGHT_DIRECTION / np.linalg.norm(LIGHT_DIRECTION)
    shadowed = np.zeros(a_ground.shape, dtype=bool)
    for step in np.arange(0.5, 48.0, 0.5):
        point = start + direction[:, None, None] * step
        filled = volume.occupied(point[0], point[1], point[2])[0]
        shadowed |= filled & found
    return shadowed


def check_fits(vol, width, height, offset_x, offset_y, name):
    """Every filled voxel must project inside its sprite, or part of the object would be cut off."""
    filled = vol.material > 0
    corners = []
    for da in (0, 1):
        for db in (0, 1):
            for dh in (0, 1):
                a = np.floor(vol.a[filled]) + da
                b = np.floor(vol.b[filled]) + db
                h = np.floor(vol.h[filled]) + dh
                corners.append((16 + a - b - offset_x, (a + b) / 2 - h - offset_y))
    xs = np.concatenate([c[0] for c in corners])
    ys = np.concatenate([c[1] for c in corners])
    if xs.min() < 0 or ys.min() < 0 or xs.max() > width or ys.max() > height:
        raise SystemExit(f"{name} does not fit its {width}x{height} sprite: "
                         f"x {xs.min()}..{xs.max()}, y {ys.min()}..{ys.max()}")


def hash_noise(*values, seed=0):
    """A repeatable pseudo-random number in [0, 1) for integer array coordinates."""
    with np.errstate(over="ignore"):
        x = np.asarray(np.uint64(seed * 0x9E3779B1 + 0x632BE5AB))
        for value in values:
            x = (x ^ np.asarray(value, dtype=np.int64).astype(np.uint64)) * np.uint64(0xBF58476D1CE4E5B9)
            x = x ^ (x >> np.uint64(29))
        x = x * np.uint64(0x94D049BB133111EB)
        x = x ^ (x >> np.uint64(32))
    return (x & np.uint64(0xFFFFFF)).astype(np.float64) / float(0x1000000)
