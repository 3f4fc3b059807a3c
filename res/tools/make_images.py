#!/usr/bin/env python3
"""Draws the program's pictures: the tray icons (107 normal, 111 busy), the
24-pixel picture strip menu_image.bmp (magenta is transparent) and the error
thumbnail err_image.JPG. Standard library only, except ImageMagick's convert for
the JPEG. Run from anywhere; writes into res/."""
import math
import os
import struct
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
RES = os.path.dirname(HERE)
SS = 4  # samples per pixel side


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[(0.0, 0.0, 0.0, 0.0) for _ in range(w)] for _ in range(h)]

    def _blend(self, x, y, color, cover):
        if cover <= 0:
            return
        r, g, b = color
        a = cover
        pr, pg, pb, pa = self.px[y][x]
        na = a + pa * (1 - a)
        if na == 0:
            return
        mix = lambda c, pc: (c * a + pc * pa * (1 - a)) / na
        self.px[y][x] = (mix(r, pr), mix(g, pg), mix(b, pb), na)

    def shape(self, inside, color, box=None):
        x0, y0, x1, y1 = box or (0, 0, self.w, self.h)
        for y in range(max(0, int(y0)), min(self.h, int(math.ceil(y1)))):
            for x in range(max(0, int(x0)), min(self.w, int(math.ceil(x1)))):
                hits = 0
                for sy in range(SS):
                    for sx in range(SS):
                        if inside(x + (sx + 0.5) / SS, y + (sy + 0.5) / SS):
                            hits += 1
                self._blend(x, y, color, hits / (SS * SS))

    def rect(self, x0, y0, x1, y1, color):
        self.shape(lambda x, y: x0 <= x < x1 and y0 <= y < y1, color, (x0, y0, x1, y1))

    def circle(self, cx, cy, r, color, inner=0.0):
        self.shape(lambda x, y: inner * inner <= (x - cx) ** 2 + (y - cy) ** 2 <= r * r, color,
                   (cx - r - 1, cy - r - 1, cx + r + 1, cy + r + 1))

    def poly(self, pts, color):
        def inside(x, y):
            c = False
            j = len(pts) - 1
            for i in range(len(pts)):
                xi, yi = pts[i]
                xj, yj = pts[j]
                if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    c = not c
                j = i
            return c
        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]
        self.shape(inside, color, (min(xs), min(ys), max(xs) + 1, max(ys) + 1))

    def line(self, x0, y0, x1, y1, width, color):
        dx, dy = x1 - x0, y1 - y0
        length = math.hypot(dx, dy) or 1
        nx, ny = -dy / length * width / 2, dx / length * width / 2
        self.poly([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)], color)

    def arc(self, cx, cy, r, width, a0, a1, color):
        def inside(x, y):
            d = math.hypot(x - cx, y - cy)
            if abs(d - r) > width / 2:
                return False
            a = math.degrees(math.atan2(y - cy, x - cx)) % 360
            return (a0 <= a <= a1) if a0 <= a1 else (a >= a0 or a <= a1)
        self.shape(inside, color, (cx - r - width, cy - r - width, cx + r + width, cy + r + width))


def rgb(h):
    return tuple(int(h[i:i + 2], 16) / 255 for i in (0, 2, 4))


WHITE, DARK = rgb("ffffff"), rgb("3a3f4b")
BLUE, SKY, GREEN, SUN = rgb("2f6fd6"), rgb("8cc4f2"), rgb("3f9b4a"), rgb("f4b400")
RED, ORANGE, GREY, FOLDER = rgb("e0454f"), rgb("f08a24"), rgb("8a8f99"), rgb("e8b84a")


def landscape(c, x, y, w, h):
    """A small photo: sky, sun and two hills."""
    c.rect(x, y, x + w, y + h, SKY)
    c.circle(x + w * 0.72, y + h * 0.3, h * 0.16, SUN)
    c.poly([(x, y + h), (x + w * 0.35, y + h * 0.45), (x + w * 0.7, y + h)], GREEN)
    c.poly([(x + w * 0.4, y + h), (x + w * 0.7, y + h * 0.6), (x + w, y + h * 0.85), (x + w, y + h)], rgb("2e7d38"))


def framed_photo(c, x, y, w, h):
    c.rect(x, y, x + w, y + h, DARK)
    landscape(c, x + 1.5, y + 1.5, w - 3, h - 3)


def icon_window(c):          # 0: the application window
    c.rect(2, 4, 22, 20, DARK)
    c.rect(3, 5, 21, 8, BLUE)
    landscape(c, 3, 8, 18, 11)


def icon_gear(c):            # 1: settings
    for k in range(8):
        a = math.radians(k * 45)
        c.line(12 + 6 * math.cos(a), 12 + 6 * math.sin(a), 12 + 10 * math.cos(a), 12 + 10 * math.sin(a), 4, GREY)
    c.circle(12, 12, 7.5, GREY)
    c.circle(12, 12, 3, WHITE)


def icon_refresh(c):         # 2: change / fetch
    c.arc(12, 12, 8, 3, 200, 340, BLUE)
    c.arc(12, 12, 8, 3, 20, 160, GREEN)
    c.poly([(17.5, 2.5), (22, 8.5), (15, 9)], BLUE)
    c.poly([(6.5, 21.5), (2, 15.5), (9, 15)], GREEN)


def star(c, cx, cy, r, color):
    pts = []
    for k in range(10):
        rad = r if k % 2 == 0 else r * 0.42
        a = math.radians(-90 + k * 36)
        pts.append((cx + rad * math.cos(a), cy + rad * math.sin(a)))
    c.poly(pts, color)


def icon_popular(c):         # 3: popular photos
    star(c, 12, 12.5, 11, SUN)


def icon_frame(c):           # 4: a picture
    framed_photo(c, 2, 4, 20, 16)


def heart(c, cx, cy, s, color):
    c.circle(cx - s * 0.27, cy - s * 0.12, s * 0.29, color)
    c.circle(cx + s * 0.27, cy - s * 0.12, s * 0.29, color)
    c.poly([(cx - s * 0.54, cy - 0.02 * s), (cx + s * 0.54, cy - 0.02 * s), (cx, cy + s * 0.5)], color)


def icon_favourite(c):       # 5: favourites
    heart(c, 12, 12, 20, RED)


def icon_globe(c):           # 6: support site
    c.circle(12, 12, 10, BLUE)
    c.arc(12, 12, 10, 1.4, 0, 360, WHITE)
    c.line(2, 12, 22, 12, 1.4, WHITE)
    c.shape(lambda x, y: abs(((x - 12) / 4.5) ** 2 + ((y - 12) / 10) ** 2 - 1) < 0.22, WHITE)
    c.line(4, 7, 20, 7, 1.2, WHITE)
    c.line(4, 17, 20, 17, 1.2, WHITE)


def icon_info(c):            # 7: information
    c.circle(12, 12, 10, BLUE)
    c.circle(12, 7, 1.8, WHITE)
    c.rect(10.5, 10, 13.5, 18, WHITE)


def icon_person(c):          # 8: a photographer
    c.circle(12, 7.5, 4.5, ORANGE)
    c.shape(lambda x, y: y >= 13 and ((x - 12) / 8.5) ** 2 + ((y - 22) / 9) ** 2 <= 1, ORANGE)


def icon_search(c):          # 9: search
    c.circle(10, 10, 7, DARK, inner=4.5)
    c.circle(10, 10, 4.5, SKY)
    c.line(15, 15, 21, 21, 3.5, DARK)


def folder(c, color):
    c.poly([(2, 6), (9, 6), (11, 8), (22, 8), (22, 20), (2, 20)], rgb("c9962e"))
    c.rect(2, 10, 22, 20, color)


def icon_folder(c):          # 10: local folder
    folder(c, FOLDER)


def icon_clock(c):           # 11: history
    c.circle(12, 12, 10, DARK)
    c.circle(12, 12, 8.2, WHITE)
    c.line(12, 12, 12, 6, 2, DARK)
    c.line(12, 12, 16, 14, 2, DARK)


def icon_trash(c):           # 12: remove
    c.rect(5, 5, 19, 7, GREY)
    c.rect(10, 3, 14, 5, GREY)
    c.poly([(6, 8), (18, 8), (17, 22), (7, 22)], GREY)
    for x in (9.5, 12, 14.5):
        c.line(x, 10, x, 20, 1.2, WHITE)


def icon_add(c):             # 13: add
    c.circle(12, 12, 10, GREEN)
    c.rect(10.5, 6, 13.5, 18, WHITE)
    c.rect(6, 10.5, 18, 13.5, WHITE)


def icon_monitor(c):         # 14: wallpaper / current wallpaper
    c.rect(1, 3, 23, 18, DARK)
    landscape(c, 2.5, 4.5, 19, 12)
    c.rect(10, 18, 14, 21, DARK)
    c.rect(6, 21, 18, 22.5, DARK)


def icon_stack(c):           # 15: candidates and history lists
    c.rect(7, 2, 23, 14, GREY)
    c.rect(8, 3, 22, 13, WHITE)
    c.rect(4, 5, 20, 17, GREY)
    c.rect(5, 6, 19, 16, WHITE)
    framed_photo(c, 1, 9, 16, 13)


def icon_download(c):        # 16: download
    c.rect(10, 2, 14, 12, BLUE)
    c.poly([(5, 11), (19, 11), (12, 19)], BLUE)
    c.rect(3, 20, 21, 22, DARK)


STRIP = [icon_window, icon_gear, icon_refresh, icon_popular, icon_frame, icon_favourite, icon_globe,
         icon_info, icon_person, icon_search, icon_folder, icon_clock, icon_trash, icon_add,
         icon_monitor, icon_stack, icon_download]


def bmp24(w, h, pixel):
    """A bottom-up 24-bit BMP; pixel(x, y) gives (r, g, b) bytes."""
    row = (w * 3 + 3) & ~3
    data = bytearray()
    for y in range(h - 1, -1, -1):
        line = bytearray()
        for x in range(w):
            r, g, b = pixel(x, y)
            line += bytes((b, g, r))
        data += line + b"\0" * (row - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return header + info + bytes(data)


def write_strip(path):
    size = 24
    canvas = Canvas(size * len(STRIP), size)
    for i, draw in enumerate(STRIP):
        part = Canvas(size, size)
        draw(part)
        for y in range(size):
            for x in range(size):
                canvas.px[y][i * size + x] = part.px[y][x]

    def pixel(x, y):
        r, g, b, a = canvas.px[y][x]
        if a < 0.5:
            return (255, 0, 255)
        # Edge pixels are blended against the light menu background, not magenta.
        k = lambda c: int(round(255 * (c * a + 0.94 * (1 - a))))
        return (k(r), k(g), k(b))
    with open(path, "wb") as f:
        f.write(bmp24(canvas.w, size, pixel))


def icon_image(size, busy):
    c = Canvas(size, size)
    s = size / 32.0
    c.rect(1 * s, 4 * s, 31 * s, 28 * s, DARK)
    landscape(c, 2.5 * s, 5.5 * s, 27 * s, 21 * s)
    if busy:
        c.circle(23 * s, 22 * s, 9 * s, WHITE)
        c.arc(23 * s, 22 * s, 6 * s, 2.6 * s, 200, 340, BLUE)
        c.arc(23 * s, 22 * s, 6 * s, 2.6 * s, 20, 160, ORANGE)
        c.poly([(26.5 * s, 13.5 * s), (30 * s, 18 * s), (24.5 * s, 18.5 * s)], BLUE)
        c.poly([(19.5 * s, 30.5 * s), (16 * s, 26 * s), (21.5 * s, 25.5 * s)], ORANGE)
    return c


def write_ico(path, busy):
    images = []
    for size in (16, 20, 24, 32, 48):
        c = icon_image(size, busy)
        xor = bytearray()
        for y in range(size - 1, -1, -1):
            for x in range(size):
                r, g, b, a = c.px[y][x]
                xor += bytes((int(b * 255 + .5), int(g * 255 + .5), int(r * 255 + .5), int(a * 255 + .5)))
        and_row = ((size + 31) // 32) * 4
        mask = bytes(and_row * size)
        info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        images.append((size, info + bytes(xor) + mask))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, blob in images:
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for _, blob in images:
        out += blob
    with open(path, "wb") as f:
        f.write(out)


def write_error_jpeg(path):
    w, h = 160, 120
    c = Canvas(w, h)
    c.rect(0, 0, w, h, rgb("d9dce1"))
    c.rect(50, 30, 110, 80, rgb("9aa1ad"))
    c.rect(53, 33, 107, 77, rgb("eef0f3"))
    c.poly([(53, 77), (70, 55), (84, 77)], rgb("b6bcc6"))
    c.poly([(75, 77), (90, 60), (107, 77)], rgb("a3aab5"))
    c.line(58, 38, 102, 72, 5, RED)
    c.line(102, 38, 58, 72, 5, RED)
    for k, y in enumerate((92, 100)):
        c.rect(40 + k * 10, y, 120 - k * 10, y + 3, rgb("9aa1ad"))

    def pixel(x, y):
        r, g, b, a = c.px[y][x]
        return tuple(int(round(255 * v)) for v in (r, g, b))
    tmp = path + ".bmp"
    with open(tmp, "wb") as f:
        f.write(bmp24(w, h, pixel))
    subprocess.run(["convert", tmp, "-quality", "90", path], check=True)
    os.remove(tmp)


def main():
    write_strip(os.path.join(RES, "menu_image.bmp"))
    write_ico(os.path.join(RES, "tray_normal.ico"), busy=False)
    write_ico(os.path.join(RES, "tray_busy.ico"), busy=True)
    write_error_jpeg(os.path.join(RES, "err_image.JPG"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
