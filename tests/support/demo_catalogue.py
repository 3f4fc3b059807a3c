#!/usr/bin/env python3
"""The demo's photo service: a catalogue of generated landscape photos that
http_fixture.py serves as the photo service and the support site.

  demo_catalogue.py ROOT BASE_URL [--pictures DIR]

Writes below ROOT the answers of every query the program makes, the pictures in
all their sizes and the support site's version text; BASE_URL is the address
that serves ROOT (http://127.0.0.77, or http://127.0.0.61/demo for the tests).
--pictures also fills DIR with sample JPEGs for the local-folder source.
Needs ImageMagick's convert. Does nothing when ROOT already holds this
catalogue for BASE_URL, so a second run of the demo starts at once.

How the stand-in picks an answer (first file that exists): one file per method
for the popular photos and the sign-in calls ("rest@@method=..."); the search,
user and photoset queries have no method file, so the stand-in goes on to their
distinguishing parameter ("rest@@text=海", "rest@@username=...",
"rest@@user_id=...", "rest@@photoset_id=...", "rest@@photo_id=..." for a
photo's sizes). A keyword the catalogue does not
know gets "rest" itself: every photo, as a real search would find something."""
import argparse
import hashlib
import html
import os
import random
import subprocess
import sys

# Flickr's size suffixes and the longest side of each (0: the original), then
# the large sizes the service offers up to the original's longest side.
SIZES = [("sq", 75), ("t", 100), ("s", 240), ("m", 500), ("z", 640), ("o", 0)]
LARGE_SIZES = [("h", 1600), ("k", 2048), ("3k", 3072), ("4k", 4096)]

OWNERS = {
    "48213577@N03": ("山田花子", "hanako_yamada"),
    "30561249@N08": ("Erik Lindqvist", "eriklind"),
    "71820466@N02": ("佐藤健一", ""),
    "15937702@N05": ("Maya Okafor", "mayaokafor"),
    "62749081@N04": ("高橋みどり", "midori_t"),
}

# Sky top, sky bottom, sun, far hills, near hills, ground.
PALETTES = {
    "dusk": ("#2b1b4f", "#f08a4b", "#ffd27a", "#5b3a6e", "#2e1f3d", "#1c1428"),
    "morning": ("#7fb2e5", "#f4e3c1", "#fff6d5", "#8aa0b8", "#56708a", "#3d5566"),
    "noon": ("#2f7fd6", "#bfe3ff", "#fffbe8", "#6f9a5b", "#3f6e38", "#2d5228"),
    "snow": ("#4d86c6", "#d9ecff", "#ffffff", "#e8eef5", "#c4d2e2", "#f4f7fb"),
    "desert": ("#5aa7e0", "#f7e2b5", "#fff3c4", "#d9a566", "#b97a3f", "#e6bf86"),
    "night": ("#060b24", "#23376b", "#f2f2e8", "#18213f", "#0d1429", "#0a0f1f"),
    "sea": ("#3b8fd1", "#cfeaf7", "#fff8dc", "#5c7f95", "#36586d", "#1f6f96"),
    "autumn": ("#6fa6d8", "#f3d9b0", "#fff0c8", "#b5623a", "#7c3b22", "#5a2c18"),
}

# id, title, owner, licence, (width, height), palette, tags, whether the owner
# hands out the original. Most are large landscapes the candidate filter takes;
# two portraits and two small ones show that it leaves some out. Every licence
# number the service knows (0-16) occurs; 0, 7 and 8 never become candidates.
PHOTOS = [
    ("53120001", "夕焼けの富士山", "48213577@N03", 1, (1920, 1080), "dusk", ["富士山", "山", "夕焼け", "mountain", "sunset"], True),
    ("53120002", "Morning Mist over the Lake", "30561249@N08", 2, (1600, 1067), "morning", ["湖", "lake", "morning"], True),
    ("53120003", "北アルプスの稜線", "71820466@N02", 3, (2048, 1365), "snow", ["山", "雪", "mountain", "snow"], False),
    ("53120004", "Coastal Cliffs at Dusk", "15937702@N05", 4, (1920, 1280), "dusk", ["海", "sea", "sunset"], True),
    ("53120005", "海辺の朝", "62749081@N04", 5, (2560, 1440), "sea", ["海", "sea", "morning"], False),
    ("53120006", "Autumn Valley", "30561249@N08", 6, (1600, 1000), "autumn", ["紅葉", "autumn", "山", "mountain"], True),
    ("53120007", "雪原と青空", "48213577@N03", 0, (1920, 1200), "snow", ["雪", "snow"], True),
    ("53120008", "Desert Dunes at Noon", "15937702@N05", 9, (2048, 1152), "desert", ["砂漠", "desert"], False),
    ("53120009", "湖に映る山", "71820466@N02", 10, (1600, 1067), "morning", ["湖", "山", "lake", "mountain"], True),
    ("53120010", "Green Hills after Rain", "62749081@N04", 11, (1920, 1080), "noon", ["草原", "hills"], True),
    ("53120011", "星空の高原", "48213577@N03", 12, (1920, 1280), "night", ["星空", "night", "山"], True),
    ("53120012", "Fjord in Evening Light", "30561249@N08", 13, (2048, 1365), "dusk", ["海", "fjord", "sunset"], False),
    ("53120013", "棚田の夕暮れ", "62749081@N04", 14, (1600, 1067), "autumn", ["夕焼け", "sunset", "棚田"], True),
    ("53120014", "Pine Ridge, First Snow", "15937702@N05", 15, (1920, 1200), "snow", ["雪", "snow", "mountain"], True),
    ("53120015", "遠くの島々", "71820466@N02", 16, (2560, 1440), "sea", ["海", "島", "sea"], False),
    ("53120016", "Quiet Lake at Night", "30561249@N08", 7, (1600, 1000), "night", ["湖", "lake", "night"], True),
    ("53120017", "渓谷の滝", "48213577@N03", 8, (1067, 1600), "noon", ["滝", "山"], True),
    ("53120018", "Lighthouse Point", "15937702@N05", 11, (1080, 1620), "sea", ["海", "sea"], True),
    ("53120019", "小さな港", "62749081@N04", 1, (800, 600), "morning", ["海", "港"], True),
    ("53120020", "Pebble Beach", "30561249@N08", 2, (960, 640), "sea", ["海", "beach"], True),
    ("53120021", "消えた夕景", "62749081@N04", 4, (1920, 1080), "dusk", ["夕焼け", "sunset"], True),
]

# Deleted by their owners since the lists were made: still listed, but the
# sizes query answers "Photo not found" and the pictures are not there.
GONE = {"53120021"}
GONE_ANSWER = ('<?xml version="1.0" encoding="utf-8" ?>\n<rsp stat="fail">\n'
               '<err code="1" msg="Photo not found" />\n</rsp>\n')

LOCAL_PICTURES = [
    ("朝の湖.jpg", (1920, 1200), "morning"),
    ("夕暮れの丘.jpg", (1920, 1080), "dusk"),
    ("winter_peaks.jpg", (1600, 1000), "snow"),
    ("seaside.jpg", (2048, 1152), "sea"),
    ("高原の夜.jpg", (1920, 1200), "night"),
    ("autumn_road.jpg", (1600, 1067), "autumn"),
]

FROB = "72157720841234567-8f3a2b1c0d9e4f56-123456"
TOKEN = "72157720849876543-5c2e9a7b1d3f8e04"
VERSION_TEXT = "1.0.2\r\n{base}/Tapestrel/download.html\r\n"


def secret(photo_id):
    return hashlib.md5(photo_id.encode()).hexdigest()[:10]


def server(photo_id):
    return str(65535 - int(photo_id) % 1000)


def fitted(width, height, longest):
    if longest == 0:
        return width, height
    if longest == 75:
        return 75, 75
    scale = longest / max(width, height)
    return max(1, round(width * scale)), max(1, round(height * scale))


def ridge(rnd, width, base, roughness):
    """Points of a hill line from left to right, by midpoint displacement."""
    points = [base + rnd.uniform(-roughness, roughness), base + rnd.uniform(-roughness, roughness)]
    spread = roughness
    while len(points) < 65:
        spread *= 0.55
        refined = []
        for a, b in zip(points, points[1:]):
            refined += [a, (a + b) / 2 + rnd.uniform(-spread, spread)]
        points = refined + [points[-1]]
    step = width / (len(points) - 1)
    return [(round(i * step), round(y)) for i, y in enumerate(points)]


def scene_arguments(seed, size, palette):
    width, height = size
    sky_top, sky_bottom, sun, far, near, ground = PALETTES[palette]
    rnd = random.Random(seed)
    horizon = height * rnd.uniform(0.62, 0.72)
    sun_x, sun_y = width * rnd.uniform(0.2, 0.8), height * rnd.uniform(0.18, 0.4)
    radius = min(width, height) * rnd.uniform(0.04, 0.08)
    args = ["-size", "%dx%d" % size, "gradient:%s-%s" % (sky_top, sky_bottom),
            "-fill", sun, "-draw", "circle %d,%d %d,%d" % (sun_x, sun_y, sun_x + radius, sun_y)]
    for colour, base, rough in ((far, horizon - height * 0.18, height * 0.12), (near, horizon - height * 0.05, height * 0.08)):
        line = ridge(rnd, width, base, rough) + [(width, height), (0, height)]
        args += ["-fill", colour, "-draw", "polygon " + " ".join("%d,%d" % p for p in line)]
    args += ["-fill", ground, "-draw", "rectangle 0,%d %d,%d" % (horizon + height * 0.08, width, height)]
    return args


def make_picture(path_of_size, seed, size, palette, suffixes):
    """One convert call: the scene at full size, then every smaller size from it."""
    args = ["convert"] + scene_arguments(seed, size, palette) + ["-quality", "82"]
    for suffix, longest in reversed(suffixes):
        w, h = fitted(size[0], size[1], longest)
        if longest == 75:
            geometry = ["-resize", "75x75^", "-gravity", "center", "-extent", "75x75"]
        elif longest:
            geometry = ["-resize", "%dx%d!" % (w, h)]
        else:
            geometry = []
        args += ["(", "+clone"] + geometry + ["-write", path_of_size(suffix), "+delete", ")"]
    args += ["null:"]
    subprocess.run(args, check=True)


def picture_url(base, photo_id, suffix):
    return "%s/static/%s/%s_%s_%s.jpg" % (base, server(photo_id), photo_id, secret(photo_id), suffix)


def offered_sizes(photo):
    """The suffixes and longest sides the service offers of the photo, smallest first."""
    size, original = photo[4], photo[7]
    longest = max(size)
    own = [(suffix, side) for suffix, side in SIZES if side or original]
    return own[:5] + [(suffix, side) for suffix, side in LARGE_SIZES if side <= longest] + own[5:]


def photo_element(base, photo):
    photo_id, title, owner, licence, size, _, _, original = photo
    name, alias = OWNERS[owner]
    day = int(photo_id[-2:])
    attrs = [("id", photo_id), ("owner", owner), ("secret", secret(photo_id)), ("server", server(photo_id)),
             ("farm", "66"), ("title", title), ("ispublic", "1"), ("license", str(licence)),
             ("datetaken", "2024-%02d-%02d 0%d:%02d:00" % (day % 12 + 1, day % 27 + 1, day % 9, day * 2 % 60)),
             ("ownername", name), ("pathalias", alias), ("media", "photo")]
    if original:
        attrs.append(("originalformat", "jpg"))
    for suffix, longest in offered_sizes(photo):
        w, h = fitted(size[0], size[1], longest)
        attrs += [("url_" + suffix, picture_url(base, photo_id, suffix)), ("height_" + suffix, str(h)),
                  ("width_" + suffix, str(w))]
    return "<photo %s />" % " ".join('%s="%s"' % (k, html.escape(v, quote=True)) for k, v in attrs)


# The service's names of the sizes, as "flickr.photos.getSizes" gives them.
SIZE_LABELS = {"sq": "Square", "t": "Thumbnail", "s": "Small", "m": "Medium", "z": "Medium 640", "h": "Large 1600",
               "k": "Large 2048", "3k": "X-Large 3K", "4k": "X-Large 4K", "o": "Original"}


def sizes_answer(base, photo):
    photo_id, owner, size = photo[0], photo[2], photo[4]
    page = "https://www.flickr.com/photos/%s/%s/sizes/" % (owner, photo_id)
    elements = "\n".join(
        '<size label="%s" width="%d" height="%d" source="%s" url="%s%s/" media="photo" />'
        % ((SIZE_LABELS[suffix],) + fitted(size[0], size[1], longest) + (picture_url(base, photo_id, suffix), page, suffix))
        for suffix, longest in offered_sizes(photo))
    return rsp('<sizes canblog="0" canprint="0" candownload="%d">\n%s\n</sizes>' % (photo[7], elements))


def rsp(content):
    return '<?xml version="1.0" encoding="utf-8" ?>\n<rsp stat="ok">\n%s\n</rsp>\n' % content


def photos_answer(base, photos):
    elements = "\n".join(photo_element(base, p) for p in photos)
    return rsp('<photos page="1" pages="1" perpage="500" total="%d">\n%s\n</photos>' % (len(photos), elements))


def photosets_of(owner):
    """The owner's photos in two sets: (set id, title, photos)."""
    own = [p for p in PHOTOS if p[2] == owner]
    half = (len(own) + 1) // 2
    number = int(owner.split("@")[0]) % 100000
    return [("721577%05d1" % number, "お気に入り", own[:half]), ("721577%05d2" % number, "Travels", own[half:])]


def answers(base):
    """File name below services/ -> answer text."""
    files = {"rest": photos_answer(base, PHOTOS),
             "rest@@method=flickr.interestingness.getList": photos_answer(base, PHOTOS),
             "rest@@method=flickr.auth.getFrob": rsp("<frob>%s</frob>" % FROB),
             "rest@@method=flickr.auth.getToken": rsp(
                 '<auth><token>%s</token><perms>read</perms><user nsid="48213577@N03" username="山田花子" '
                 'fullname="山田花子" /></auth>' % TOKEN),
             "rest@@method=flickr.test.echo": rsp("<method>flickr.test.echo</method>")}
    for photo in PHOTOS:
        files["rest@@photo_id=" + photo[0]] = GONE_ANSWER if photo[0] in GONE else sizes_answer(base, photo)
    for tag in sorted({t for p in PHOTOS for t in p[6]}):
        files["rest@@text=" + tag] = photos_answer(base, [p for p in PHOTOS if tag in p[6]])
    for owner, (name, _) in OWNERS.items():
        files["rest@@username=" + name] = rsp('<user id="%s" nsid="%s"><username>%s</username></user>'
                                              % (owner, owner, html.escape(name)))
        sets = photosets_of(owner)
        elements = "\n".join('<photoset id="%s" primary="%s" secret="%s" server="%s" farm="66" photos="%d" videos="0">'
                             "<title>%s</title><description /></photoset>"
                             % (sid, ps[0][0], secret(ps[0][0]), server(ps[0][0]), len(ps), html.escape(title))
                             for sid, title, ps in sets)
        files["rest@@user_id=" + owner] = rsp('<photosets page="1" pages="1" perpage="%d" total="%d">\n%s\n</photosets>'
                                              % (len(sets), len(sets), elements))
        for sid, _, ps in sets:
            body = "\n".join(photo_element(base, p) for p in ps)
            files["rest@@photoset_id=" + sid] = rsp(
                '<photoset id="%s" primary="%s" owner="%s" ownername="%s" page="1" per_page="500" perpage="500" '
                'pages="1" total="%d">\n%s\n</photoset>' % (sid, ps[0][0], owner, html.escape(name), len(ps), body))
    return files


def owner_page(name):
    return ('<!DOCTYPE html>\n<html lang="ja"><head><meta charset="utf-8"><title>%s</title></head>'
            "<body><h1>%s</h1><p>Tapestrel demo photostream.</p></body></html>\n" % (html.escape(name), html.escape(name)))


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(text.encode("utf-8") if isinstance(text, str) else text)


def stamp_text(base):
    with open(__file__, "rb") as f:
        return base + "\n" + hashlib.md5(f.read()).hexdigest() + "\n"


def build(root, base):
    base = base.rstrip("/")
    stamp = os.path.join(root, "_catalogue.stamp")
    try:
        with open(stamp, encoding="utf-8") as f:
            if f.read() == stamp_text(base):
                return
    except OSError:
        pass
    for name, text in answers(base).items():
        write(os.path.join(root, "services", name), text)
    for owner, (name, alias) in OWNERS.items():
        write(os.path.join(root, "photos", alias or owner), owner_page(name))
    write(os.path.join(root, "Tapestrel", "Version.txt"), VERSION_TEXT.format(base=base))
    write(os.path.join(root, "Tapestrel", "download.html"), owner_page("Tapestrel"))
    for photo in (p for p in PHOTOS if p[0] not in GONE):
        photo_id, _, _, _, size, palette, _, _ = photo
        folder = os.path.join(root, "static", server(photo_id))
        os.makedirs(folder, exist_ok=True)
        make_picture(lambda s: os.path.join(folder, "%s_%s_%s.jpg" % (photo_id, secret(photo_id), s)),
                     int(photo_id), size, palette, offered_sizes(photo))
    write(stamp, stamp_text(base))


def build_pictures(folder):
    os.makedirs(folder, exist_ok=True)
    for n, (name, size, palette) in enumerate(LOCAL_PICTURES):
        path = os.path.join(folder, name)
        if not os.path.exists(path):
            make_picture(lambda s: path, 9000 + n, size, palette, [("o", 0)])


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("root")
    parser.add_argument("base_url")
    parser.add_argument("--pictures")
    args = parser.parse_args()
    build(os.path.abspath(args.root), args.base_url)
    if args.pictures:
        build_pictures(args.pictures)
    return 0


if __name__ == "__main__":
    sys.exit(main())
