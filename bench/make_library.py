#!/usr/bin/env python3
"""Writes a music library file in the layout a music library application writes:
an XML declaration, a property-list doctype, a tracks dictionary of track dictionaries
(one key and its value per line, tab indentation) and a playlists array.

The default makes about 120 MB: 50,000 tracks and 200 playlists, among them the master
playlist of every track, folders, smart playlists, playlists without items, duplicate
names, items that name no track, streamed tracks without a location, MP3 and protected
tracks, disabled tracks, and names and locations with character references. One playlist,
"Import 2000", lists 2,000 AAC file tracks for the import benchmark.

    bench/make_library.py OUTPUT [--tracks N] [--playlists N] [--crlf] [--spaces]
"""

import argparse
import random
import urllib.parse

ARTISTS = ["The Examples", "Sample Quartet", "山田 花子", "Los Demos", "Ünïcödé Band",
           "Rock & Roll Heroes", "DJ <Test>", "O'Brien Trio"]
GENRES = ["Rock", "Pop", "J-Pop", "Jazz", "Classical", "Electronic", "Hip-Hop", "Soundtrack"]
WORDS = ["Love", "Night", "Song", "River", "夏の日", "Dream", "Light", "Road", "Heart", "Blue",
         "雨", "Fire", "Summer", "Winter", "Star", "Moon"]
KINDS = ["AAC audio file"] * 14 + ["MPEG audio file", "Protected AAC audio file",
                                   "Purchased AAC audio file", "Apple Lossless audio file"]


def escape(text):
    """Escapes the way the application does: & < > and ' as numeric references."""
    return (text.replace("&", "&#38;").replace("<", "&#60;").replace(">", "&#62;")
            .replace("'", "&#39;"))


def date(rng):
    return "20%02d-%02d-%02dT%02d:%02d:%02dZ" % (rng.randint(5, 24), rng.randint(1, 12),
                                                 rng.randint(1, 28), rng.randint(0, 23),
                                                 rng.randint(0, 59), rng.randint(0, 59))


def persistent_id(rng):
    return "%016X" % rng.getrandbits(64)


class Writer:
    def __init__(self, out, indent, newline):
        self.out = out
        self.indent = indent
        self.newline = newline

    def line(self, depth, text):
        self.out.write(self.indent * depth + text + self.newline)

    def key(self, depth, key, kind, value):
        self.line(depth, "<key>%s</key><%s>%s</%s>" % (key, kind, value, kind))


def write_track(w, rng, track_id, music_root, import_ids):
    title = " ".join(rng.choice(WORDS) for _ in range(rng.randint(1, 4)))
    artist = rng.choice(ARTISTS)
    album = "%s %d" % (rng.choice(WORDS), rng.randint(1, 30))
    streamed = track_id % 97 == 0
    kind = "AAC audio file" if track_id in import_ids else rng.choice(KINDS)
    w.line(2, "<key>%d</key>" % track_id)
    w.line(2, "<dict>")
    w.key(3, "Track ID", "integer", track_id)
    w.key(3, "Size", "integer", rng.randint(2_000_000, 12_000_000))
    w.key(3, "Total Time", "integer", rng.randint(90_000, 420_000))
    w.key(3, "Disc Number", "integer", 1)
    w.key(3, "Disc Count", "integer", rng.randint(1, 2))
    w.key(3, "Track Number", "integer", rng.randint(1, 20))
    w.key(3, "Track Count", "integer", 20)
    w.key(3, "Year", "integer", rng.randint(1960, 2024))
    w.key(3, "BPM", "integer", rng.randint(60, 180))
    w.key(3, "Date Modified", "date", date(rng))
    w.key(3, "Date Added", "date", date(rng))
    w.key(3, "Bit Rate", "integer", rng.choice([128, 192, 256, 320]))
    w.key(3, "Sample Rate", "integer", rng.choice([44100, 48000]))
    w.key(3, "Play Count", "integer", rng.randint(0, 300))
    w.key(3, "Play Date", "integer", rng.randint(3_000_000_000, 3_800_000_000))
    w.key(3, "Play Date UTC", "date", date(rng))
    w.key(3, "Skip Count", "integer", rng.randint(0, 20))
    w.key(3, "Skip Date", "date", date(rng))
    w.key(3, "Release Date", "date", date(rng))
    w.key(3, "Rating", "integer", rng.choice([0, 20, 40, 60, 80, 100]))
    w.key(3, "Album Rating", "integer", rng.choice([0, 20, 40, 60, 80, 100]))
    w.line(3, "<key>Album Rating Computed</key><true/>")
    w.key(3, "Artwork Count", "integer", 1)
    w.key(3, "Persistent ID", "string", persistent_id(rng))
    if track_id % 211 == 0 and track_id not in import_ids:
        w.line(3, "<key>Disabled</key><true/>")
    if track_id % 13 == 0:
        w.line(3, "<key>Compilation</key><true/>")
    w.key(3, "Track Type", "string", "URL" if streamed else "File")
    w.key(3, "Name", "string", escape(title))
    w.key(3, "Artist", "string", escape(artist))
    w.key(3, "Album Artist", "string", escape(artist))
    w.key(3, "Composer", "string", escape(rng.choice(ARTISTS)))
    w.key(3, "Album", "string", escape(album))
    w.key(3, "Grouping", "string", escape(rng.choice(WORDS)))
    w.key(3, "Genre", "string", rng.choice(GENRES))
    w.key(3, "Kind", "string", kind)
    w.key(3, "Comments", "string", escape("Ripped from CD #%d & tagged" % rng.randint(1, 999)))
    w.key(3, "Sort Name", "string", escape(title))
    w.key(3, "Sort Album", "string", escape(album))
    w.key(3, "Sort Artist", "string", escape(artist))
    w.key(3, "Normalization", "integer", rng.randint(500, 5000))
    if streamed:
        w.key(3, "Location", "string", "http://radio.example.com/stream%d.mp3" % track_id)
    else:
        path = "%s/%s/%s/%02d %s.m4a" % (music_root, artist, album, rng.randint(1, 20), title)
        w.key(3, "Location", "string",
              escape("file://" + urllib.parse.quote(path, safe="/&'")))
        w.key(3, "File Folder Count", "integer", 5)
        w.key(3, "Library Folder Count", "integer", 1)
    w.line(2, "</dict>")


def write_items(w, ids):
    w.line(3, "<key>Playlist Items</key>")
    w.line(3, "<array>")
    for track_id in ids:
        w.line(4, "<dict>")
        w.key(5, "Track ID", "integer", track_id)
        w.line(4, "</dict>")
    w.line(3, "</array>")


def write_playlist(w, rng, name, ids, master=False, folder=False, smart=False):
    w.line(2, "<dict>")
    w.key(3, "Name", "string", escape(name))
    if master:
        w.line(3, "<key>Master</key><true/>")
        w.line(3, "<key>Visible</key><false/>")
    w.key(3, "Playlist ID", "integer", rng.randint(100_000, 999_999))
    w.key(3, "Playlist Persistent ID", "string", persistent_id(rng))
    w.line(3, "<key>All Items</key><true/>")
    if folder:
        w.line(3, "<key>Folder</key><true/>")
    if smart:
        w.line(3, "<key>Smart Info</key>")
        w.line(3, "<data>")
        w.line(3, "AQEAAwAAAAIAAAAZAAAAAAAAAAcAAAABAAAAAAAAAAAAAAAAAAAAAAAA")
        w.line(3, "AAAAAAAAAAAAAAAAAAAAAA==")
        w.line(3, "</data>")
        w.line(3, "<key>Smart Criteria</key>")
        w.line(3, "<data>")
        w.line(3, "U0xzdAABAAEAAAACAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA")
        w.line(3, "</data>")
    if ids is not None:
        write_items(w, ids)
    w.line(2, "</dict>")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("output")
    parser.add_argument("--tracks", type=int, default=50_000)
    parser.add_argument("--playlists", type=int, default=200)
    parser.add_argument("--crlf", action="store_true", help="CR LF line ends")
    parser.add_argument("--spaces", action="store_true", help="blank indentation")
    parser.add_argument("--music-root", default="/home/me/Music/iTunes/iTunes Media/Music")
    parser.add_argument("--seed", type=int, default=8)
    args = parser.parse_args()

    rng = random.Random(args.seed)
    all_ids = list(range(1, args.tracks + 1))
    import_count = min(2000, args.tracks)
    import_ids = set(rng.sample([i for i in all_ids if i % 97], import_count))
    with open(args.output, "w", encoding="utf-8", newline="") as out:
        w = Writer(out, "  " if args.spaces else "\t", "\r\n" if args.crlf else "\n")
        w.line(0, '<?xml version="1.0" encoding="UTF-8"?>')
        w.line(0, '<!DOCTYPE plist PUBLIC "-//Apple Computer//DTD PLIST 1.0//EN" '
                  '"http://www.apple.com/DTDs/PropertyList-1.0.dtd">')
        w.line(0, '<plist version="1.0">')
        w.line(0, "<dict>")
        w.key(1, "Major Version", "integer", 1)
        w.key(1, "Minor Version", "integer", 1)
        w.key(1, "Date", "date", date(rng))
        w.key(1, "Application Version", "string", "12.13.2.3")
        w.key(1, "Features", "integer", 5)
        w.line(1, "<key>Show Content Ratings</key><true/>")
        w.key(1, "Music Folder", "string", "file://" + urllib.parse.quote(args.music_root) + "/")
        w.key(1, "Library Persistent ID", "string", persistent_id(rng))
        w.line(1, "<key>Tracks</key>")
        w.line(1, "<dict>")
        for track_id in all_ids:
            write_track(w, rng, track_id, args.music_root, import_ids)
        w.line(1, "</dict>")
        w.line(1, "<key>Playlists</key>")
        w.line(1, "<array>")
        write_playlist(w, rng, "Library", all_ids, master=True)
        write_playlist(w, rng, "Import 2000", sorted(import_ids, key=lambda _: rng.random()))
        for number in range(2, args.playlists):
            name = "%s %s" % (rng.choice(WORDS), rng.choice(GENRES))
            if number % 10 == 0:
                write_playlist(w, rng, "Folder %d" % number, None, folder=True)
            elif number % 7 == 0:
                write_playlist(w, rng, name + " (smart)", rng.sample(all_ids, rng.randint(0, 300)),
                               smart=True)
            elif number % 11 == 0:
                write_playlist(w, rng, name, None)  # no items
            else:
                ids = rng.sample(all_ids, rng.randint(1, min(800, len(all_ids))))
                if number % 5 == 0:
                    ids.append(args.tracks + 1000 + number)  # names no track
                write_playlist(w, rng, name, ids)
        w.line(1, "</array>")
        w.line(0, "</dict>")
        w.line(0, "</plist>")


if __name__ == "__main__":
    main()
