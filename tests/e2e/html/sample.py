"""Catalogue folders for the page tests, made through florrin itself, and
small poster images (PNG, under the names the records give)."""
import os
import struct
import subprocess
import zlib

KEYS = ["plot", "tagline", "rate", "year", "director", "runtime", "comments",
        "pic", "Act", "Genre", "Type"]


def png(width, height, top, bottom, band):
    """A poster: a vertical gradient from `top` to `bottom` (RGB) with a
    band of colour `band` across its lower third."""
    rows = []
    for y in range(height):
        t = y / max(1, height - 1)
        colour = band if 0.62 < t < 0.7 else tuple(
            int(a + (b - a) * t) for a, b in zip(top, bottom))
        rows.append(b"\x00" + bytes(colour) * width)
    raw = b"".join(rows)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


def run(florrin, folder, *args):
    out = subprocess.run([florrin] + [a if isinstance(a, bytes) else a.encode()
                                      for a in args],
                         cwd=folder, stdout=subprocess.PIPE,
                         stderr=subprocess.PIPE, check=True)
    assert out.stderr == b"", out.stderr
    return out.stdout


def make(florrin, folder, movies, posters=()):
    """A catalogue in `folder` holding `movies` (dicts: title and any of the
    eleven keys; str or bytes), and a poster file for each name in
    `posters`."""
    os.makedirs(folder, exist_ok=True)
    assert run(florrin, folder, "--new") == b"!ok!"
    for m in movies:
        values = [m.get(k, "") for k in KEYS]
        answer = run(florrin, folder, "--add", m["title"], *values)
        assert answer == b"!ok!", (m["title"], answer)
    palette = [((38, 70, 83), (231, 111, 81), (244, 162, 97)),
               ((29, 53, 87), (168, 218, 220), (230, 57, 70)),
               ((40, 54, 24), (221, 161, 94), (96, 108, 56)),
               ((61, 64, 91), (242, 204, 143), (129, 178, 154)),
               ((20, 33, 61), (252, 163, 17), (229, 229, 229))]
    for i, name in enumerate(posters):
        top, bottom, band = palette[i % len(palette)]
        path = os.path.join(folder.encode() if isinstance(name, bytes)
                            else folder, name)
        with open(path, "wb") as f:
            f.write(png(120, 180, top, bottom, band))


# A small catalogue to look at: the README's picture and the tests' base.
SAMPLE = [
    {"title": "Alien", "plot": "The crew of a commercial towing ship meets a "
     "creature that stalks them deck by deck.",
     "tagline": "In space no one can hear you scream.", "rate": "8.5",
     "year": "1979", "director": "Ridley Scott", "runtime": "117 min",
     "comments": "seen twice", "pic": "Alien.jpg",
     "Act": " - Sigourney Weaver - Ripley - Tom Skerritt - Dallas",
     "Genre": " - Horror - Sci-Fi", "Type": "DVD"},
    {"title": "Brazil", "plot": "A clerk in a retro-futuristic bureaucracy "
     "dreams of flight.", "rate": "7.9", "year": "1985",
     "director": "Terry Gilliam", "runtime": "142 min", "pic": "",
     "Act": "Jonathan Pryce", "Genre": "Drama - Sci-Fi", "Type": "VHS"},
    {"title": "Harbour Lights", "plot": "The keeper of the old lighthouse "
     "finds a logbook that names every ship the town ever sank.",
     "tagline": "Every light in the harbour hides a ship.", "rate": "7.4/10",
     "year": "1987", "director": "Ada Quell", "runtime": "112 min",
     "pic": "Harbour Lights.jpg", "Act": " - Tomas Brell - Lena Hart",
     "Genre": " - Drama - Mystery", "Type": "file"},
    {"title": "Glass Orchard", "plot": "Two sisters inherit an orchard "
     "whose trees ring like bells.", "rate": "6.8", "year": "2003",
     "director": "Mira Olsen", "runtime": "98 min", "pic": "Glass Orchard.jpg",
     "Act": " - Ines Varga - Noor Haddad", "Genre": " - Drama - Fantasy",
     "Type": "DVD"},
    {"title": "Quiet Field", "plot": "A town waits for rain.", "rate": "",
     "year": "1999", "director": "Ada Quell", "runtime": "88 min",
     "pic": "Quiet Field.jpg", "Genre": " - Drama", "Type": "VHS"},
    {"title": "Am\u00e9lie", "plot": "A shy waitress decides to change the "
     "lives of those around her.", "rate": "8.3", "year": "2001",
     "director": "Jean-Pierre Jeunet", "runtime": "122 min",
     "pic": "Am\u00e9lie poster.jpg", "Act": " - Audrey Tautou - Am\u00e9lie",
     "Genre": " - Comedy - Romance", "Type": "file"},
    {"title": "Night Train", "plot": "Strangers share a sleeper carriage.",
     "rate": "7.1", "year": "2015", "director": "Oskar Lind",
     "runtime": "104 min", "pic": "Night Train.jpg", "Genre": " - Thriller",
     "Type": "file"},
    {"title": "The Long Winter", "plot": "A family sits out a winter that "
     "does not end.", "rate": "6.2", "year": "", "director": "Ruth Anand",
     "runtime": "131 min", "pic": "The Long Winter.jpg",
     "Genre": " - Drama - Family", "Type": "DVD"},
]
# Posters on disk: Brazil has none, Quiet Field names one that is missing.
SAMPLE_POSTERS = ["Alien.jpg", "Harbour Lights.jpg", "Glass Orchard.jpg",
                  "Am\u00e9lie poster.jpg", "Night Train.jpg",
                  "The Long Winter.jpg"]
