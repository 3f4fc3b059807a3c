#!/usr/bin/env python3
"""The demo's Wikimedia Commons: generated featured pictures in Commons' answer
format, which http_fixture.py serves beside the demo's photo service.

  demo_commons.py ROOT BASE_URL

Writes ROOT/w/api.php, the answer to every query of the featured-pictures
category (the catalogue is smaller than one batch, so every start moment finds
all of it), and the pictures at Commons' addresses below ROOT/wikipedia/commons:
each original and its thumbnails at the standard widths. BASE_URL is the
address that serves ROOT. Among the pictures are one under a licence Tapestrel
cannot name and one PNG, which the candidate run leaves out. Needs ImageMagick's
convert; does nothing when ROOT already holds this catalogue for BASE_URL."""
import argparse
import hashlib
import json
import os
import sys
import urllib.parse

from demo_catalogue import make_picture, write

# Commons' standard thumbnail widths.
WIDTHS = [120, 250, 500, 960, 1920, 3840]

# File name, title (empty: none given), author's markup, licence, date markup, size, palette, mime.
PICTURES = [
    ("Mount_Fuji_from_Lake_Kawaguchi_at_dawn.jpg", "河口湖から望む夜明けの富士山",
     '<a href="//commons.wikimedia.org/wiki/User:Hanako_Y" title="User:Hanako Y">Hanako Y</a>',
     "CC BY-SA 4.0", '<time class="dtstart" datetime="2021-11-03">2021年11月3日</time>', (4200, 2800), "dusk", "image/jpeg"),
    ("Lofoten_winter_evening.jpg", "Lofoten, Winter Evening",
     '<a rel="nofollow" class="external text" href="https://example.org/erik">Erik Lindqvist</a>',
     "CC BY 4.0", "2019-01-27 16:42:10", (3000, 2000), "snow", "image/jpeg"),
    ("Sahara_dunes_at_noon.jpg", "", "<bdi>Maya Okafor</bdi>", "CC0", "2018:04:12 12:05:33", (2560, 1600),
     "desert", "image/jpeg"),
    ("Hokusai_style_coast.jpg", "北斎風の海岸", "佐藤健一 &amp; 高橋みどり", "Public domain", "1890年頃",
     (2400, 1600), "sea", "image/jpeg"),
    ("嵐山の紅葉_(2016).jpg", "嵐山の紅葉", '<span class="fn">山田花子</span>', "CC BY-SA 3.0",
     "2016-11-20", (3600, 2400), "autumn", "image/jpeg"),
    ("Alpine_meadow_after_rain.jpg", "Alpine Meadow after Rain", "Jonas M&uuml;ller", "CC BY 2.0",
     "2012-07-08", (2048, 1365), "noon", "image/jpeg"),
    ("Milky_Way_over_Norikura.jpg", "乗鞍高原の天の川", "Kenji T.", "CC BY 3.0", "2020-08-14 01:10:00",
     (2880, 1920), "night", "image/jpeg"),
    # Left out by the candidate run: a licence Tapestrel cannot name, and a PNG.
    ("Old_harbour_lights.jpg", "古い港の灯り", "Anonymous", "GFDL 1.2", "2009-05-01", (2400, 1600), "morning",
     "image/jpeg"),
    ("Glacier_diagram.png", "Glacier Diagram", "Maya Okafor", "CC BY-SA 4.0", "2015-02-02", (2400, 1600),
     "snow", "image/png"),
]


def hashed(name):
    digest = hashlib.md5(name.encode("utf-8")).hexdigest()
    return "%s/%s" % (digest[0], digest[:2])


def thumbnail_widths(width):
    return [w for w in WIDTHS if w < width]


def page(base, number, picture):
    name, title, artist, licence, date, (width, height), _, mime = picture
    quoted = urllib.parse.quote(name)
    metadata = {"LicenseShortName": licence, "Artist": artist, "DateTimeOriginal": date,
                "LicenseUrl": "https://creativecommons.org/licenses/"}
    if title:
        metadata["ObjectName"] = title
    return {"pageid": 9000 + number, "ns": 6, "title": "File:" + name.replace("_", " "),
            "imagerepository": "local",
            "imageinfo": [{"size": width * height // 3, "width": width, "height": height,
                           "url": "%s/wikipedia/commons/%s/%s" % (base, hashed(name), quoted),
                           "descriptionurl": "%s/wiki/File:%s" % (base, quoted),
                           "descriptionshorturl": "%s/w/index.php?curid=%d" % (base, 9000 + number),
                           "mime": mime,
                           "extmetadata": {k: {"value": v, "source": "commons-desc-page"} for k, v in metadata.items()}}]}


def answer(base):
    pages = [page(base, n, p) for n, p in enumerate(PICTURES)]
    return json.dumps({"batchcomplete": True, "query": {"pages": pages}}, ensure_ascii=False, indent=1)


def build(root, base):
    """The answer is written last: a catalogue left half made is made again."""
    text = answer(base)
    api = os.path.join(root, "w", "api.php")
    try:
        with open(api, encoding="utf-8") as f:
            if f.read() == text:
                return
    except OSError:
        pass
    for n, (name, _, _, _, _, size, palette, mime) in enumerate(PICTURES):
        if mime != "image/jpeg":
            continue
        original = os.path.join(root, "wikipedia", "commons", hashed(name), name)
        thumbs = os.path.join(root, "wikipedia", "commons", "thumb", hashed(name), name)
        os.makedirs(os.path.dirname(original), exist_ok=True)
        os.makedirs(thumbs, exist_ok=True)
        sizes = [("o", 0)] + [(str(w), w) for w in thumbnail_widths(size[0])]
        path_of = lambda s: original if s == "o" else os.path.join(thumbs, "%spx-%s" % (s, name))
        make_picture(path_of, 7000 + n, size, palette, sizes)
    write(api, text)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("root")
    parser.add_argument("base_url")
    args = parser.parse_args()
    build(os.path.abspath(args.root), args.base_url)
    return 0


if __name__ == "__main__":
    sys.exit(main())
