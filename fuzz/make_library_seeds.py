#!/usr/bin/env python3
"""Writes the crafted library seeds of fuzz/corpus/library: the shapes that once made the
scanners slow, kept under the 64 KB that the library fuzz targets are run with."""

import pathlib

HERE = pathlib.Path(__file__).resolve().parent / "corpus" / "library"
DECLARATION = '<?xml version="1.0" encoding="UTF-8"?>\n'
KEY = "<key>Playlists</key>"
LIMIT = 60_000
ITEM = "\t\t\t\t<dict>\n\t\t\t\t\t<key>Track ID</key><integer>{}</integer>\n\t\t\t\t</dict>\n"


def repeated_key_line(start):
    """A second line of `start` and the playlists key over and over, then real playlists."""
    line = start
    while len(line) + len(KEY) < LIMIT - 1000:
        line += KEY
    return (DECLARATION + line + "\n" + "<dict>\n\t" + KEY + "\n\t<array>\n\t\t<dict>\n"
            "\t\t\t<key>Name</key><string>After</string>\n"
            "\t\t\t<key>Playlist Items</key>\n\t\t\t<array>\n"
            + ITEM.format(1) +
            "\t\t\t</array>\n\t\t</dict>\n\t</array>\n</dict>\n</plist>\n")


def colliding_ids(bucket_count=10273, tracks=80):
    """Tracks whose IDs are multiples of the bucket count a hash table of 9,999 tracks takes,
    the wanted IDs 1 to 20 among them twice, and a playlist of them and of absent multiples."""
    ids = [bucket_count * k for k in range(1, tracks + 1)] + list(range(1, 21)) * 2
    out = [DECLARATION, '<plist version="1.0">\n<dict>\n\t<key>Tracks</key>\n\t<dict>\n']
    for n, track_id in enumerate(ids):
        out.append(f"\t\t<key>{track_id}</key>\n\t\t<dict>\n"
                   f"\t\t\t<key>Track ID</key><integer>{track_id}</integer>\n"
                   f"\t\t\t<key>Name</key><string>t{n}</string>\n"
                   "\t\t\t<key>Kind</key><string>AAC audio file</string>\n"
                   f"\t\t\t<key>Location</key><string>file:///m/{n}.m4a</string>\n"
                   "\t\t</dict>\n")
    out.append("\t</dict>\n\t" + KEY + "\n\t<array>\n\t\t<dict>\n"
               "\t\t\t<key>Name</key><string>Colliding</string>\n"
               "\t\t\t<key>Playlist Items</key>\n\t\t\t<array>\n")
    for track_id in ids + [bucket_count * k for k in range(tracks + 1, 2 * tracks)]:
        out.append(ITEM.format(track_id))
    out.append("\t\t\t</array>\n\t\t</dict>\n\t</array>\n</dict>\n</plist>\n")
    return "".join(out)


def main():
    (HERE / "playlists_key_after_text.xml").write_text(repeated_key_line("<dict>"))
    (HERE / "playlists_key_after_blanks.xml").write_text(
        repeated_key_line(" " * (LIMIT // 2) + "x"))
    (HERE / "colliding_track_ids.xml").write_text(colliding_ids())


if __name__ == "__main__":
    main()
