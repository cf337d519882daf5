#!/usr/bin/env python3
"""Builds the tileset: paved floor, brick town walls with gate posts, a gatehouse, wall towers,
corner towers at the bays and a fountain, all lit from the right, drawn into one 256 x 560 picture
with an 8-bit palette whose index 0 (pixel (0, 0)) is the transparent key.

Every sprite is a voxel scene (voxels.py) rendered at the offset at which the game draws that kind of
sprite from its cell, so walls meet along their lines and blocks stand on their cells.

Usage: tileset.py OUT_DATA_DIR   (writes OUT_DATA_DIR/images/Torvi070930-7.png)
"""
import os
import sys

import numpy as np
from PIL import Image

import voxels
from voxels import Volume, hash_noise

SHEET_SIZE = (256, 560)

# Where each sprite lies in the sheet (the game's sprite tables).
GROUND_AT = ((32, 0), (64, 0), (96, 0), (128, 0), (160, 0), (0, 16), (32, 16), (64, 16), (96, 16),
             (128, 16), (160, 16), (192, 64))
STANDING_AT = ((224, 0), (96, 32), (128, 32), (160, 32), (96, 96), (128, 96), (160, 96))
TALL_AT = ((96, 160), (160, 160))
LARGE_AT = tuple((64 * (n % 4), 240 + 80 * (n // 4)) for n in range(16))
LARGE_SHIFTED = (1, 3, 6)  # drawn 8 px further right than the other large sprites

# Kinds of sprite: size, and where the game puts the sprite's corner relative to its cell point.
GROUND = dict(size=(32, 16), offset=(0, -1))  # the floor's surface lies one voxel up
STANDING = dict(size=(32, 64), offset=(0, -48))
TALL = dict(size=(64, 80), offset=(0, -64))

WALL_TOP = 32        # height of a wall's walkway
MERLON = 6           # height of the merlons above it
CELL = 16


# ---------------------------------------------------------------- masonry helpers

def brick_tone(vol, along, seed, course=4, length=8):
    """Tone of running-bond bricks laid along axis `along` ('a' or 'b'), and the mortar joints."""
    run = vol.b if along == "b" else vol.a
    row = np.floor(vol.h / course).astype(int)
    shifted = run + (row % 2) * (length / 2)
    brick = np.floor(shifted / length).astype(int)
    joint = (np.floor(vol.h) % course == 0) | (np.floor(shifted) % length == 0)
    tone = 0.86 + 0.22 * hash_noise(row, brick, seed=seed) + 0.05 * hash_noise(
        np.floor(vol.a), np.floor(vol.b), np.floor(vol.h), seed=seed + 1)
    return tone, joint


def block_tone(vol, seed, course=6, length=10):
    """Tone of large dressed stone blocks, for towers and gate posts."""
    row = np.floor(vol.h / course).astype(int)
    run = vol.a + vol.b + (row % 2) * (length / 2)
    block = np.floor(run / length).astype(int)
    joint = (np.floor(vol.h) % course == 0)
    tone = 0.9 + 0.16 * hash_noise(row, block, seed=seed) + 0.04 * hash_noise(
        np.floor(vol.a), np.floor(vol.b), np.floor(vol.h), seed=seed + 7)
    return tone, joint


def brick_wall(vol, a0, a1, b0, b1, along, seed, top=WALL_TOP):
    """A brick wall with a stone walkway between two crenellated parapets, repeating every cell along
    its line, so that pieces laid end to end along `along` join into one wall."""
    body = vol.box(a0, a1, b0, b1, 0, top - 2)
    tone, joint = brick_tone(vol, along, seed)
    vol.put(body & ~joint, "brick", tone)
    vol.put(body & joint, "mortar", 0.95)
    vol.put(vol.box(a0, a1, b0, b1, top - 2, top), "sandstone",
            0.92 + 0.08 * hash_noise(np.floor(vol.a / 4), np.floor(vol.b / 4), seed=seed + 3))
    run, across = (vol.b, vol.a) if along == "b" else (vol.a, vol.b)
    low, high = (a0, a1) if along == "b" else (b0, b1)
    parapet = vol.box(a0, a1, b0, b1, top, top + MERLON) & ((across < low + 3) | (across >= high - 3))
    merlon = (np.mod(run, 8) >= 1) & (np.mod(run, 8) < 5)
    vol.put(parapet & ((vol.h < top + 2) | merlon), "sandstone",
            1.0 + 0.06 * hash_noise(np.floor(run / 8), np.floor(across / 8), seed=seed + 5))


def arrow_slit(vol, face_a, b_mid, h0, h1):
    """A narrow slit cut into the wall face at a = face_a (the face turned to +a)."""
    slit = vol.box(face_a - 3, face_a, b_mid - 1, b_mid + 1, h0, h1)
    vol.put(slit, "mortar", 0.25)
    vol.put(vol.box(face_a - 1, face_a, b_mid - 2, b_mid + 2, h1, h1 + 1), "sandstone", 1.0)


def post(vol, a0, a1, b0, b1, top, seed):
    """A dressed-stone gate post with a cornice, a stepped cap and a lantern on top."""
    tone, joint = block_tone(vol, seed)
    body = vol.box(a0, a1, b0, b1, 0, top)
    vol.put(body, "sandstone", np.where(joint, 0.78, tone))
    vol.put(vol.box(a0, a1, b0, b1, top - 10, top - 8), "marble", 0.92)
    vol.put(vol.box(a0 + 2, a1 - 2, b0 + 2, b1 - 2, top, top + 2), "sandstone", 1.05)
    ca, cb = (a0 + a1) / 2, (b0 + b1) / 2
    vol.put(vol.box(ca - 2, ca + 2, cb - 2, cb + 2, top + 2, top + 3), "iron", 0.9)
    vol.put(vol.box(ca - 1.5, ca + 1.5, cb - 1.5, cb + 1.5, top + 3, top + 7), "gold", 1.25)
    vol.put(vol.box(ca - 2, ca + 2, cb - 2, cb + 2, top + 7, top + 8), "iron", 0.9)


def round_tower(vol, ca, cb, radius, top, seed):
    """A round masonry tower with a corbelled parapet and merlons."""
    tone, joint = block_tone(vol, seed, course=5, length=7)
    body = vol.cylinder(ca, cb, radius, 0, top)
    vol.put(body, "stone", np.where(joint, 0.72, tone * 1.05))
    vol.put(vol.cylinder(ca, cb, radius + 1, top, top + 3), "sandstone", 1.0)
    ring = vol.cylinder(ca, cb, radius + 1, top + 3, top + 8) & ~vol.cylinder(ca, cb, radius - 1.5, 0, 99)
    angle = np.arctan2(vol.b - cb, vol.a - ca)
    vol.put(ring & (np.mod(angle * 12 / np.pi, 2) < 1.1), "sandstone", 1.0)
    vol.put(vol.cylinder(ca, cb, radius - 1.5, top, top + 3), "wood", 0.8)
    for turn, height in ((0.25, top - 16), (0.0, top - 28), (0.5, top - 24)):
        ang = np.pi * turn
        sa, sb = ca + np.cos(ang) * (radius - 0.5), cb + np.sin(ang) * (radius - 0.5)
        vol.put(vol.box(sa - 1.5, sa + 1.5, sb - 1.5, sb + 1.5, height, height + 7)
                & ~vol.cylinder(ca, cb, radius - 2.5, 0, 99), "mortar", 0.22)


def square_tower(vol, a0, a1, b0, b1, top, seed):
    """A square corner tower of dressed stone with a parapet and merlons."""
    tone, joint = block_tone(vol, seed)
    body = vol.box(a0, a1, b0, b1, 0, top)
    vol.put(body, "sandstone", np.where(joint, 0.76, tone))
    vol.put(vol.box(a0, a1, b0, b1, top - 3, top), "stone", 1.1)
    parapet = vol.box(a0, a1, b0, b1, top, top + 6) & ~vol.box(a0 + 2, a1 - 2, b0 + 2, b1 - 2, 0, 99)
    step = np.mod(np.floor((vol.a - a0) / 4) + np.floor((vol.b - b0) / 4), 2) == 0
    vol.put(parapet & step, "sandstone", 1.0)
    vol.put(vol.box(a0 + 2, a1 - 2, b0 + 2, b1 - 2, top, top + 1), "wood", 0.8)
    ma, mb = (a0 + a1) / 2, (b0 + b1) / 2
    for sa, sb in ((a1, mb), (ma, b1)):
        vol.put(vol.box(sa - 3 if sa == a1 else sa - 1, sa if sa == a1 else sa + 1,
                        sb - 1 if sa == a1 else sb - 3, sb + 1 if sa == a1 else sb,
                        top - 20, top - 12), "mortar", 0.22)


# ---------------------------------------------------------------- ground tiles

def stone_layout(kind):
    """Stone number per voxel of one cell (16 x 16), -1 for mortar joints."""
    a, b = np.meshgrid(np.arange(CELL), np.arange(CELL), indexing="ij")
    if kind == "long_a":
        stone = np.where(b < 8, 0, 1)
        joint = (a == 0) | (b == 0) | (b == 8)
    elif kind == "long_b":
        stone = np.where(a < 8, 0, 1)
        joint = (a == 0) | (b == 0) | (a == 8)
    elif kind == "cobbles":
        stone = (a // 4) * 4 + (b // 4)
        joint = (a % 4 == 0) | (b % 4 == 0)
    elif kind == "single":
        stone = np.zeros_like(a)
        joint = (a == 0) | (b == 0)
    else:
        stone = (a // 8) * 2 + (b // 8)
        joint = (a % 8 == 0) | (b % 8 == 0)
    return np.where(joint, -1, stone)


def paved(kind, seed):
    """A cell of paving: mortar one voxel high, stones one voxel proud of it with softened edges."""
    vol = Volume((0, CELL), (0, CELL), 4)
    layout = stone_layout(kind)[:, :, None] * np.ones((1, 1, 4), dtype=int)
    ia, ib = np.floor(vol.a).astype(int), np.floor(vol.b).astype(int)
    stone_tone = 0.9 + 0.16 * hash_noise(layout, seed=seed)
    grain = 0.05 * hash_noise(ia, ib, seed=seed + 11)
    # Stones catch the light on their far edges and darken towards the near ones.
    edge = np.zeros(layout.shape)
    for da, db, change in ((-1, 0, 0.06), (0, -1, 0.06), (1, 0, -0.05), (0, 1, -0.05)):
        na, nb = np.clip(ia + da, 0, CELL - 1), np.clip(ib + db, 0, CELL - 1)
        neighbour = stone_layout(kind)[na[:, :, 0], nb[:, :, 0]][:, :, None]
        edge += np.where(neighbour != layout, change, 0.0)
    vol.put(vol.box(0, CELL, 0, CELL, 0, 1), "mortar", 0.9 + grain)
    vol.put((layout >= 0) & (vol.h < 2), "stone", stone_tone + grain + edge)
    return vol, layout


def ground_tile(number):
    seed = 100 + number
    kinds = {0: "quad", 1: "long_a", 6: "long_b", 8: "cobbles", 11: "single", 10: "single", 5: "single"}
    vol, layout = paved(kinds.get(number, "quad"), seed)
    ia, ib = np.floor(vol.a), np.floor(vol.b)
    noise = hash_noise(ia, ib, seed=seed + 20)
    joint = layout < 0
    if number == 2:    # a cracked stone
        crack = ((np.abs((vol.a - 9.5) - 0.7 * (vol.b - 11)) < 0.6) & (vol.b > 9) & (vol.a > 9)) | (
            (np.abs((vol.b - 10.5) - 0.5 * (vol.a - 10)) < 0.6) & (vol.a > 10) & (vol.b > 9))
        vol.clear(crack & ~joint & (vol.h >= 1))
        vol.put(crack & ~joint & (vol.h < 1), "mortar", 0.45)
    elif number == 3:  # moss in the joints
        vol.put(joint & (noise < 0.7) & (vol.h < 1), "grass", 0.75 + 0.3 * noise)
        vol.put(joint & (noise < 0.3) & (vol.h >= 1) & (vol.h < 2), "grass", 1.0)
    elif number == 4:  # an iron drain grate in a stone frame
        vol.put(vol.box(4, 13, 4, 13, 0, 2), "sandstone", 0.85)
        grate = vol.box(5, 12, 5, 12, 0, 2)
        vol.put(grate, "iron", 0.95)
        vol.clear(grate & (np.floor(vol.a) % 2 == 0) & (vol.h >= 1))
        vol.put(grate & (np.floor(vol.a) % 2 == 0) & (vol.h < 1), "mortar", 0.15)
    elif number == 5:  # a rain puddle lying in a hollow of the paving
        wobble = 0.25 * hash_noise(np.floor(vol.a / 2), np.floor(vol.b / 2), seed=seed + 30)
        puddle = (vol.a - 8.5) ** 2 / 34 + (vol.b - 8.5) ** 2 / 22 < 1 - wobble
        vol.clear(puddle & (vol.h >= 1))
        glint = (np.abs((vol.a - vol.b) - 1) < 1.2) & puddle & (vol.h < 1)
        vol.put(puddle & (vol.h < 1), "slate", 0.78 + 0.08 * noise)  # the water shows the grey sky
        vol.put(glint, "water", 1.1)
    elif number == 7:  # fallen leaves
        leaf = (noise > 0.88) & (vol.h >= 1) & (vol.h < 2)
        vol.put(leaf, "leaves", 0.9 + 0.3 * hash_noise(ia, ib, seed=seed + 21))
        vol.put(leaf & (hash_noise(ia, ib, seed=seed + 22) > 0.6), "roof", 1.0)
    elif number == 9:  # weeds and little flowers
        vol.put(joint & (noise < 0.5) & (vol.h < 2), "grass", 0.8 + 0.4 * noise)
        vol.put(joint & (noise < 0.08) & (vol.h < 2), "gold", 1.1)
        vol.put(joint & (noise > 0.93) & (vol.h < 2), "cloth", 1.1)
    elif number == 10:  # a sandstone inlay of four triangles around a red stone
        distance = np.maximum(np.abs(vol.a - 8.5), np.abs(vol.b - 8.5))
        inlay = (distance < 5.5) & (vol.h < 2)
        vol.put(inlay, "sandstone", np.where((vol.a > vol.b) == (vol.a + vol.b > 17), 0.98, 0.8) + 0.05 * noise)
        vol.put((distance < 2) & (vol.h < 2), "brick", 1.0)
    elif number == 11:  # a compass star in gold and marble
        star = ((np.abs(vol.a - vol.b) < 1.5) | (np.abs(vol.a + vol.b - 17) < 1.5)) & (
            np.maximum(np.abs(vol.a - 8.5), np.abs(vol.b - 8.5)) < 6.5)
        vol.put(vol.box(1, 16, 1, 16, 0, 2), "marble", 0.8 + 0.1 * noise)
        vol.put(star & (vol.h < 2), "gold", 1.0)
    return vol


def diamond_mask():
    """The pixels of a 32 x 16 ground diamond: those whose floor point lies inside the cell."""
    px, py = np.meshgrid(np.arange(32), np.arange(16))
    sx, sy = px + 0.5 - 16.0, py + 0.5
    a, b = (sx + 2 * sy) / 2, (2 * sy - sx) / 2
    return (a >= 0) & (a < CELL) & (b >= 0) & (b < CELL)


def draw_ground(number):
    sprite = voxels.render(ground_tile(number), *GROUND["size"], *GROUND["offset"], shadows=False)
    sprite[~diamond_mask()] = voxels.KEY_INDEX
    return sprite


# ---------------------------------------------------------------- standing objects

def standing_volume():
    return Volume((0, CELL), (0, CELL), 48)


def wall_piece(variant):
    vol = standing_volume()
    brick_wall(vol, 0, CELL, 0, CELL, "b", seed=200 + variant)
    if variant == 2:
        arrow_slit(vol, CELL, 8, 12, 22)
        moss = (vol.h < 4 + 3 * hash_noise(np.floor(vol.b), seed=7)) & (vol.a >= CELL - 1) & (vol.material > 0)
        vol.put(moss & (hash_noise(np.floor(vol.b), np.floor(vol.h), seed=8) < 0.6), "grass", 0.9)
    return vol


def gate_post(first_row):
    """The wall's end beside a bay: on the right side the post stands at the near end of the cell
    (the bay opens below it), on the left at the far end (the bay lies above it)."""
    vol = standing_volume()
    brick_wall(vol, 0, CELL, 0, CELL, "b", seed=240)
    if first_row:
        vol.clear(vol.box(0, CELL, 4, CELL, 0, 99))
        post(vol, 0, CELL, 4, CELL, 42, seed=241)
    else:
        vol.clear(vol.box(0, CELL, 0, 12, 0, 99))
        post(vol, 0, CELL, 0, 12, 42, seed=242)
    return vol


def barrel():
    vol = standing_volume()
    body = vol.cylinder(8, 8, 6 - 0.8 * np.abs(vol.h - 7) / 7, 0, 15)
    vol.put(body, "wood", 0.9 + 0.15 * hash_noise(np.floor(np.arctan2(vol.b - 8, vol.a - 8) * 4), seed=3))
    vol.put(body & ((np.floor(vol.h) == 2) | (np.floor(vol.h) == 12)), "iron", 1.0)
    vol.put(vol.cylinder(8, 8, 4.5, 14, 15), "wood", 0.7)
    return vol


def crates():
    """Two stacked wooden crates with light frames and darker boarded sides."""
    vol = standing_volume()
    for a0, b0, h0, size in ((2, 2, 0, 12), (4, 4, 12, 8)):
        box = vol.box(a0, a0 + size, b0, b0 + size, h0, h0 + size)
        near = lambda v, edge: np.abs(v - edge) < 1.0  # noqa: E731
        on_a = near(vol.a, a0 + 0.5) | near(vol.a, a0 + size - 0.5)
        on_b = near(vol.b, b0 + 0.5) | near(vol.b, b0 + size - 0.5)
        on_h = near(vol.h, h0 + 0.5) | near(vol.h, h0 + size - 0.5)
        frame = (on_a & on_b) | (on_a & on_h) | (on_b & on_h)
        boards = 0.78 + 0.12 * (np.floor(vol.h - h0) % 3 == 0) + 0.06 * hash_noise(np.floor(vol.h), seed=a0)
        vol.put(box, "wood", np.where(frame, 1.18, boards))
    return vol


def lamp_post():
    vol = standing_volume()
    vol.put(vol.box(5, 11, 5, 11, 0, 3), "stone", 1.0)
    vol.put(vol.box(7, 9, 7, 9, 3, 34), "iron", 1.0)
    vol.put(vol.box(5, 11, 5, 11, 34, 35), "iron", 1.0)
    vol.put(vol.box(6, 10, 6, 10, 35, 41), "gold", 1.2)
    vol.put(vol.box(5, 11, 5, 11, 41, 43), "iron", 0.9)
    return vol


# ---------------------------------------------------------------- tall objects

def tall_volume():
    return Volume((0, CELL), (-2 * CELL, CELL), 48)


def gatehouse():
    """Three cells of the left wall raised into a gatehouse, its arched door facing the street."""
    vol = tall_volume()
    brick_wall(vol, 0, CELL, -2 * CELL, CELL, "b", seed=300, top=42)
    for corner in (-2 * CELL, CELL - 4):
        post_box = vol.box(0, CELL, corner, corner + 4, 0, 42)
        tone, joint = block_tone(vol, 301)
        vol.put(post_box, "sandstone", np.where(joint, 0.8, tone))
    mid = -8
    arch = (np.abs(vol.b - mid) < 6) & ((vol.h < 14) | ((vol.b - mid) ** 2 + (vol.h - 14) ** 2 < 36))
    vol.put(arch & (vol.a >= CELL - 2), "sandstone", 1.05)
    opening = (np.abs(vol.b - mid) < 4.5) & ((vol.h < 14) | ((vol.b - mid) ** 2 + (vol.h - 14) ** 2 < 20))
    vol.clear(opening & (vol.a >= CELL - 3))
    planks = 0.85 + 0.2 * (np.floor(vol.b) % 3 == 0)
    vol.put(opening & (vol.a >= CELL - 4) & (vol.a < CELL - 3), "wood", planks)
    vol.put(opening & (vol.a >= CELL - 3) & (vol.h < 1), "sandstone", 0.9)  # the door's sill
    vol.put(vol.box(CELL - 1, CELL, -22, -18, 22, 36), "cloth", 1.0)
    vol.put(vol.box(CELL - 1, CELL, 2, 6, 22, 36), "cloth", 1.0)
    vol.put(vol.box(CELL - 1, CELL, -21, -19, 26, 30), "gold", 1.1)
    vol.put(vol.box(CELL - 1, CELL, 3, 5, 26, 30), "gold", 1.1)
    return vol


def wall_house():
    """Three wall cells with a small slate-roofed guard house on top."""
    vol = tall_volume()
    brick_wall(vol, 0, CELL, -2 * CELL, CELL, "b", seed=310)
    house = vol.box(1, CELL - 1, -22, 6, 0, 40)
    vol.clear(vol.box(0, CELL, -24, 8, WALL_TOP, 99))
    tone, joint = block_tone(vol, 311)
    vol.put(house & (vol.h >= WALL_TOP - 2), "sandstone", np.where(joint, 0.8, tone))
    roof = (vol.h >= 40) & (vol.h < 48) & (np.abs(vol.a - 8) < 8 - (vol.h - 40)) & (vol.b >= -23) & (vol.b < 7)
    vol.put(roof, "slate", 0.9 + 0.15 * (np.floor(vol.h) % 2))
    for b_mid in (-14, -2):
        vol.put(vol.box(CELL - 2, CELL - 1, b_mid - 2, b_mid + 2, 33, 38), "mortar", 0.2)
    return vol


# ---------------------------------------------------------------- large objects

def large_volume():
    return Volume((-2 * CELL, CELL), (-2 * CELL, CELL), 64)


CENTRE = -8.0  # the middle of a 3 x 3 block, in a and in b, from its anchor cell's corner


def wall_tower():
    """A round tower standing astride three cells of the wall line."""
    vol = large_volume()
    brick_wall(vol, -CELL, 0, -2 * CELL, CELL, "b", seed=400)
    round_tower(vol, CENTRE, CENTRE, 13.5, 42, seed=401)
    vol.put(vol.box(CENTRE - 0.5, CENTRE + 0.5, CENTRE - 0.5, CENTRE + 0.5, 45, 58), "wood", 0.9)
    vol.put(vol.box(CENTRE - 0.5, CENTRE + 0.5, CENTRE + 0.5, CENTRE + 7, 52, 58), "cloth", 1.0)
    return vol


def corner_tower(side, bay_below):
    """A square tower where a bay's end wall meets the wall line.

    side: 'left' or 'right'; bay_below: whether the bay opens on the rows after the tower."""
    vol = large_volume()
    line = (-2 * CELL, 0) if bay_below else (-CELL, CELL)
    brick_wall(vol, -CELL, 0, line[0], line[1], "b", seed=410)
    stub = (-2 * CELL, -CELL) if side == "left" else (0, CELL)
    brick_wall(vol, stub[0], stub[1], -CELL, 0, "a", seed=411)
    square_tower(vol, CENTRE - 11, CENTRE + 11, CENTRE - 11, CENTRE + 11, 38, seed=412)
    return vol


def fountain():
    vol = large_volume()
    c = CENTRE
    rim = vol.cylinder(c, c, 15, 0, 7) & ~vol.cylinder(c, c, 12.5, 0, 99)
    angle = np.floor(np.arctan2(vol.b - c, vol.a - c) * 16 / np.pi)
    vol.put(rim, "marble", 0.9 + 0.12 * hash_noise(angle, seed=500))
    vol.put(vol.cylinder(c, c, 15.5, 6, 7) & ~vol.cylinder(c, c, 12, 0, 99), "marble", 1.1)
    ripple = 0.85 + 0.25 * (np.mod(np.hypot(vol.a - c, vol.b - c), 4) < 1.2)
    vol.put(vol.cylinder(c, c, 12.5, 0, 4), "water", ripple)
    vol.put(vol.cylinder(c, c, 3, 0, 16), "marble", 1.0)
    vol.put(vol.cylinder(c, c, 7.5, 16, 19) & ~vol.cylinder(c, c, 5.5, 18, 99), "marble", 1.05)
    vol.put(vol.cylinder(c, c, 5.5, 16, 18), "water", 1.1)
    vol.put(vol.cylinder(c, c, 1.6, 19, 27), "water", 1.25)
    vol.put(vol.cylinder(c, c, 2.6, 27, 28), "water", 1.2)
    for angle_step in range(8):
        ang = angle_step * np.pi / 4
        for r, h in ((8.5, 15), (10, 11), (11, 7), (11.8, 4)):
            sa, sb = c + np.cos(ang) * r, c + np.sin(ang) * r
            vol.put(vol.box(sa - 0.7, sa + 0.7, sb - 0.7, sb + 0.7, h - 1, h + 1), "water", 1.2)
    return vol


def statue():
    vol = large_volume()
    c = CENTRE
    vol.put(vol.box(c - 10, c + 10, c - 10, c + 10, 0, 4), "stone", 1.0)
    vol.put(vol.box(c - 7, c + 7, c - 7, c + 7, 4, 16), "marble", 0.95)
    vol.put(vol.box(c - 8, c + 8, c - 8, c + 8, 16, 18), "marble", 1.05)
    vol.put(vol.cylinder(c, c, 3.5, 18, 34), "gold", 1.0)
    vol.put(vol.box(c - 6, c + 6, c - 1.5, c + 1.5, 28, 31), "gold", 1.0)
    vol.put(vol.cylinder(c, c, 2.5, 34, 39), "gold", 1.1)
    return vol


def obelisk():
    vol = large_volume()
    c = CENTRE
    vol.put(vol.box(c - 9, c + 9, c - 9, c + 9, 0, 5), "stone", 1.0)
    width = 4.5 - (vol.h - 5) * 0.05
    shaft = (np.abs(vol.a - c) < width) & (np.abs(vol.b - c) < width) & (vol.h >= 5) & (vol.h < 52)
    vol.put(shaft, "marble", 1.0)
    tip = (np.abs(vol.a - c) + np.abs(vol.b - c) < (58 - vol.h) * 0.5) & (vol.h >= 52) & (vol.h < 58)
    vol.put(tip, "gold", 1.0)
    return vol


def well():
    vol = large_volume()
    c = CENTRE
    vol.put(vol.cylinder(c, c, 8, 0, 8) & ~vol.cylinder(c, c, 6, 0, 99), "stone", 1.0)
    vol.put(vol.cylinder(c, c, 6, 0, 6), "water", 0.7)
    for sb in (c - 7, c + 6):
        vol.put(vol.box(c - 1, c + 1, sb, sb + 1, 8, 26), "wood", 1.0)
    roof = (np.abs(vol.a - c) < 12 - (vol.h - 26) * 1.4) & (np.abs(vol.b - c) < 11) & (vol.h >= 26) & (vol.h < 34)
    vol.put(roof, "roof", 0.9 + 0.15 * (np.floor(vol.b) % 3 == 0))
    vol.put(vol.box(c - 0.5, c + 0.5, c - 6, c + 6, 20, 21), "wood", 0.8)
    return vol


def tree(radius, seed):
    vol = large_volume()
    c = CENTRE
    vol.put(vol.cylinder(c, c, 2.2, 0, 20), "wood", 0.9)
    crown = ((vol.a - c) ** 2 + (vol.b - c) ** 2 + ((vol.h - 30) * 1.2) ** 2 < radius ** 2)
    lumpy = hash_noise(np.floor(vol.a / 3), np.floor(vol.b / 3), np.floor(vol.h / 3), seed=seed)
    vol.put(crown & (lumpy > 0.15), "leaves", 0.85 + 0.3 * lumpy)
    return vol


def stall():
    vol = large_volume()
    c = CENTRE
    vol.put(vol.box(c - 9, c + 9, c - 7, c + 7, 0, 9), "wood", 1.0)
    for sa in (c - 9, c + 8):
        for sb in (c - 7, c + 6):
            vol.put(vol.box(sa, sa + 1, sb, sb + 1, 9, 24), "wood", 0.9)
    stripes = np.where(np.floor((vol.a - c) / 3) % 2 == 0, "cloth", "marble")
    awning = vol.box(c - 11, c + 11, c - 9, c + 9, 24, 26)
    vol.put(awning & (stripes == "cloth"), "cloth", 1.0)
    vol.put(awning & (stripes == "marble"), "marble", 1.0)
    vol.put(vol.box(c - 7, c + 7, c - 5, c + 5, 9, 11) & (hash_noise(np.floor(vol.a), np.floor(vol.b), seed=5) > 0.5),
            "gold", 1.0)
    return vol


def pond():
    vol = large_volume()
    c = CENTRE
    vol.put(vol.cylinder(c, c, 15, 0, 2), "grass", 0.9)
    vol.put(vol.cylinder(c, c, 11, 0, 2), "water", 0.9)
    reeds = vol.cylinder(c, c, 14, 2, 12) & ~vol.cylinder(c, c, 11.5, 0, 99)
    vol.put(reeds & (hash_noise(np.floor(vol.a), np.floor(vol.b), seed=9) > 0.85), "grass", 1.1)
    return vol


def ruin():
    vol = large_volume()
    c = CENTRE
    vol.put(vol.box(c - 14, c + 14, c - 14, c + 14, 0, 2), "stone", 0.95)
    for (sa, sb), height in (((c - 9, c - 9), 40), ((c + 9, c - 9), 22), ((c - 9, c + 9), 30), ((c + 9, c + 9), 10)):
        vol.put(vol.cylinder(sa, sb, 2.5, 2, height), "marble", 1.0)
        vol.put(vol.box(sa - 3.5, sa + 3.5, sb - 3.5, sb + 3.5, 2, 4), "marble", 0.9)
    vol.put(vol.box(c - 12, c - 6, c - 12, c + 12, 40, 43), "marble", 1.05)
    return vol


def pavilion():
    vol = large_volume()
    c = CENTRE
    vol.put(vol.box(c - 14, c + 14, c - 14, c + 14, 0, 3), "marble", 0.9)
    for sa in (c - 11, c + 11):
        for sb in (c - 11, c + 11):
            vol.put(vol.cylinder(sa, sb, 1.8, 3, 26), "marble", 1.05)
    vol.put(vol.box(c - 14, c + 14, c - 14, c + 14, 26, 29), "sandstone", 1.0)
    roof = (np.maximum(np.abs(vol.a - c), np.abs(vol.b - c)) < 14 - (vol.h - 29) * 1.3) & (vol.h >= 29) & (vol.h < 40)
    vol.put(roof, "slate", 0.9 + 0.15 * (np.floor(vol.h) % 2))
    vol.put(vol.box(c - 1, c + 1, c - 1, c + 1, 40, 44), "gold", 1.1)
    return vol


def square_keep():
    vol = large_volume()
    c = CENTRE
    square_tower(vol, c - 12, c + 12, c - 12, c + 12, 34, seed=600)
    roof = (np.maximum(np.abs(vol.a - c), np.abs(vol.b - c)) < 10.5 - (vol.h - 35) * 0.7) & (vol.h >= 35) & (vol.h < 50)
    vol.put(roof, "roof", 0.9 + 0.12 * (np.floor(vol.h) % 2))
    return vol


LARGE_DESIGNS = (
    statue,                                   # 0
    obelisk,                                  # 1
    well,                                     # 2
    lambda: tree(13, 31),                     # 3
    lambda: corner_tower("left", True),       # 4: left bay, its first row
    lambda: corner_tower("right", False),     # 5: right bay, its last row
    lambda: corner_tower("right", True),      # 6: right bay, its first row
    lambda: corner_tower("left", False),      # 7: left bay, its last row
    stall,                                    # 8
    pond,                                     # 9
    ruin,                                     # 10
    square_keep,                              # 11
    lambda: tree(16, 47),                     # 12
    wall_tower,                               # 13: on the wall line, either side
    pavilion,                                 # 14
    fountain,                                 # 15: free in the floor
)

STANDING_DESIGNS = (
    barrel,                        # 0
    lambda: wall_piece(1),         # 1: wall
    lambda: wall_piece(2),         # 2: wall
    crates,                        # 3
    lambda: gate_post(True),       # 4: right bay, its first row
    lambda: gate_post(False),      # 5: left bay, its last row
    lamp_post,                     # 6
)

TALL_DESIGNS = (gatehouse, wall_house)


# ---------------------------------------------------------------- the sheet

def draw(vol, width, height, offset_x, offset_y, name):
    voxels.check_fits(vol, width, height, offset_x, offset_y, name)
    return voxels.render(vol, width, height, offset_x, offset_y)


def build_sheet():
    sheet = np.full((SHEET_SIZE[1], SHEET_SIZE[0]), voxels.KEY_INDEX, dtype=np.uint8)

    def place(sprite, at):
        x, y = at
        h, w = sprite.shape
        sheet[y:y + h, x:x + w] = sprite

    for number, at in enumerate(GROUND_AT):
        place(draw_ground(number), at)
    for number, (design, at) in enumerate(zip(STANDING_DESIGNS, STANDING_AT)):
        place(draw(design(), *STANDING["size"], *STANDING["offset"], f"standing {number}"), at)
    for number, (design, at) in enumerate(zip(TALL_DESIGNS, TALL_AT)):
        place(draw(design(), *TALL["size"], *TALL["offset"], f"tall {number}"), at)
    for number, (design, at) in enumerate(zip(LARGE_DESIGNS, LARGE_AT)):
        shift = 8 if number in LARGE_SHIFTED else 0
        place(draw(design(), 64, 80, -16 + shift, -72, f"large {number}"), at)
    return sheet


def main(argv):
    if len(argv) != 2:
        sys.exit("usage: tileset.py OUT_DATA_DIR")
    folder = os.path.join(argv[1], "images")
    os.makedirs(folder, exist_ok=True)
    image = Image.fromarray(build_sheet(), mode="P")
    image.putpalette(voxels.palette())
    image.save(os.path.join(folder, "Torvi070930-7.png"), optimize=False)


if __name__ == "__main__":
    main(sys.argv)
