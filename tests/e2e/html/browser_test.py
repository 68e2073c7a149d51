"""The page written by `florrin --html`, checked in a real headless Chromium.

Usage: browser_test.py FLORRIN OUTPUT_FOLDER

Exits 77 (a skip, for ctest) where Chromium, its driver or Selenium is not
installed, unless FLORRIN_REQUIRE_BROWSER is set (scripts/test sets it: the
browser is always there). Writes sample-page.png (and the phone-width and
dark pictures) to OUTPUT_FOLDER for people to look at.
"""
import os
import re
import shutil
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import browser  # noqa: E402
import sample  # noqa: E402

FLORRIN = None
OUTPUT = None

# Values that would run a script or load something if the page let them
# through as markup, and what the page must show for them instead.
HOSTILE = {
    "title": "<script>window.__ran = 'title'</script>Hostile \"One\"",
    "plot": "<img src=x onerror=\"window.__ran = 'plot'\"> it's a plot",
    "tagline": "</textarea><svg onload=\"window.__ran = 'tagline'\">",
    "director": "'\"><script src=\"http://127.0.0.1:9/x.js\"></script>",
    "Act": " - <b onmouseover=alert(1)>Bold</b> - &amp; &lt;",
    "Genre": " - <i>Noir</i> - Drama",
    "comments": "<style>body{display:none}</style><link rel=stylesheet "
                "href=http://127.0.0.1:9/x.css>",
    "rate": "9\" autofocus onfocus=\"window.__ran='rate'",
    "year": "1999",
    "Type": "<iframe src=\"http://127.0.0.1:9/\"></iframe>",
    "pic": "http://127.0.0.1:9/poster.jpg",
}


def by_css(driver, selector):
    from selenium.webdriver.common.by import By
    return driver.find_elements(By.CSS_SELECTOR, selector)


class PageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="florrin-page-")
        cls.folder = os.path.join(cls.work, "Movies")
        movies = list(sample.SAMPLE) + [
            dict(HOSTILE),
            {"title": "other pic", "pic": "../Movies/Alien.jpg",
             "year": "1960"},
            {"title": "Latin-1 caf\xe9".encode("latin-1"), "year": "1950",
             "director": b"Andr\xe9 Bazin"},
            {"title": "_underscore", "year": "1940"},
            {"title": "alien", "year": "1940"},
        ]
        sample.make(FLORRIN, cls.folder, movies, sample.SAMPLE_POSTERS)
        cls.page = os.path.join(cls.work, "out", "page.html")
        os.makedirs(os.path.dirname(cls.page))
        cls.count = len(movies)
        assert sample.run(FLORRIN, cls.folder, "--html", cls.page) == b"!ok!"
        cls.browser = browser.Browser()
        cls.driver = cls.browser.driver

    @classmethod
    def tearDownClass(cls):
        cls.browser.quit()
        shutil.rmtree(cls.work, ignore_errors=True)

    def load(self, path=None, **emulation):
        self.browser.emulate(**emulation)
        self.browser.open(path or self.page)

    def visible_titles(self):
        return self.driver.execute_script(
            "return Array.from(document.querySelectorAll('.card'))"
            ".filter(c => !c.hidden && c.offsetParent !== null)"
            ".map(c => c.querySelector('.title').textContent)")

    def type_search(self, text):
        from selenium.webdriver.common.keys import Keys
        box = by_css(self.driver, "#search")[0]
        # Deleted as a user deletes it, so the page sees the input events.
        box.send_keys(Keys.CONTROL, "a")
        box.send_keys(Keys.BACKSPACE)
        if text:
            box.send_keys(text)

    def choose(self, select_id, value):
        from selenium.webdriver.support.ui import Select
        Select(by_css(self.driver, "#" + select_id)[0]).select_by_value(value)

    def count_text(self):
        return by_css(self.driver, "#count")[0].text

    def expected_title_order(self):
        titles = [m["title"] for m in sample.SAMPLE] + [
            HOSTILE["title"], "other pic", "Latin-1 caf\xe9", "_underscore",
            "alien"]
        # Byte order of the UTF-8 with ASCII capitals as small letters,
        # ties by plain byte order.
        def key(t):
            b = t.encode("utf-8")
            return (b.translate(bytes.maketrans(
                b"ABCDEFGHIJKLMNOPQRSTUVWXYZ", b"abcdefghijklmnopqrstuvwxyz")), b)
        return sorted(titles, key=key)

    def test_every_movie_is_a_card_in_title_order(self):
        self.load()
        self.assertEqual(self.expected_title_order(), self.visible_titles())
        self.assertEqual("%d movies" % self.count, self.count_text())

    def test_search_filters_as_the_user_types_ignoring_case(self):
        self.load()
        cases = [  # typed, titles left
            ("harbour", ["Harbour Lights"]),
            ("HARBOUR LIGHTS", ["Harbour Lights"]),
            ("ada quell", ["Harbour Lights", "Quiet Field"]),      # director
            ("sigourney", ["Alien"]),                              # cast
            ("fantasy", ["Glass Orchard"]),                        # genre
            ("2001", ["Am\xe9lie"]),                               # year
            ("AM\xc9LIE", ["Am\xe9lie"]),                          # not ASCII
            ("drama 1985", ["Brazil"]),                            # every word
            ("caf\xe9", ["Latin-1 caf\xe9"]),                      # Windows-1252
            ("nothing like this", []),
        ]
        for typed, titles in cases:
            with self.subTest(typed=typed):
                self.type_search(typed)
                self.assertEqual(titles, self.visible_titles())
                want = "%d of %d movies" % (len(titles), self.count)
                self.assertEqual(want, self.count_text())
                self.assertEqual(not titles,
                                 by_css(self.driver, "#none")[0].is_displayed())
        self.type_search("")
        self.assertEqual(self.count, len(self.visible_titles()))
        self.assertEqual("%d movies" % self.count, self.count_text())

    def test_sort_puts_years_and_ratings_in_order(self):
        self.load()

        def column(cls):
            return self.driver.execute_script(
                "return Array.from(document.querySelectorAll('.card'))"
                ".map(c => (c.querySelector('.%s') || {}).textContent || '')"
                % cls)
        self.choose("sort", "year-new")
        years = [int(y) for y in column("year") if y]
        self.assertEqual(sorted(years, reverse=True), years)
        self.assertEqual("", column("year")[-1])  # no year: last
        self.choose("sort", "year-old")
        years = [int(y) for y in column("year") if y]
        self.assertEqual(sorted(years), years)
        self.choose("sort", "rate")
        rates = [float(re.match(r"\d+(\.\d+)?", r).group(0))
                 for r in column("rate") if r]
        self.assertEqual(sorted(rates, reverse=True), rates)
        self.choose("sort", "title")
        self.assertEqual(self.expected_title_order(), self.visible_titles())

    def test_genre_choice_lists_the_genres_present(self):
        self.load()
        options = self.driver.execute_script(
            "return Array.from(document.querySelectorAll('#genre option'))"
            ".map(o => o.value)")
        self.assertEqual(["", "<i>Noir</i>", "Comedy", "Drama", "Family",
                          "Fantasy", "Horror", "Mystery", "Romance",
                          "Sci-Fi", "Thriller"], options)
        self.choose("genre", "Sci-Fi")
        self.assertEqual(["Alien", "Brazil"], self.visible_titles())
        self.type_search("gilliam")
        self.assertEqual(["Brazil"], self.visible_titles())

    def test_a_card_opens_to_its_plot_by_mouse_and_keyboard(self):
        from selenium.webdriver.common.keys import Keys
        self.load()
        cards = [c for c in by_css(self.driver, ".card")
                 if by_css(c, ".title")[0].text in ("Alien", "Brazil")]
        plot = by_css(cards[0], ".plot")[0]
        self.assertFalse(plot.is_displayed())
        by_css(cards[0], "summary")[0].click()
        self.assertTrue(plot.is_displayed())
        self.assertIn("creature that stalks them", plot.text)
        # Keyboard: the summary takes the focus and Enter opens it.
        summary = by_css(cards[1], "summary")[0]
        self.driver.execute_script("arguments[0].focus()", summary)
        self.assertEqual(summary, self.driver.switch_to.active_element)
        summary.send_keys(Keys.ENTER)
        self.assertTrue(by_css(cards[1], ".plot")[0].is_displayed())

    def test_posters_load_and_missing_ones_show_the_placeholder(self):
        self.load()
        self.driver.execute_script(
            "document.querySelectorAll('img').forEach(i => i.loading = 'eager')")
        self.driver.execute_async_script(
            "var done = arguments[0];"
            "Promise.all(Array.from(document.images).map(i => i.decode()"
            ".catch(() => 0))).then(() => done())")
        state = self.driver.execute_script(
            "return Array.from(document.querySelectorAll('.card')).map(c => {"
            " var i = c.querySelector('img.poster');"
            " var p = c.querySelector('.poster.none');"
            " return [c.querySelector('.title').textContent,"
            "  i ? i.naturalWidth : -1, p ? p.textContent : null]; })")
        by_title = {t: (w, p) for t, w, p in state}
        for title in ["Alien", "Harbour Lights", "Am\xe9lie", "Night Train"]:
            self.assertGreater(by_title[title][0], 0, title)  # loaded
        # No pic, a pic whose file is missing, a pic that is no plain name:
        for title in ["Brazil", "Quiet Field", "other pic", HOSTILE["title"]]:
            self.assertEqual((-1, title), by_title[title], title)
        self.assertFalse([t for t, (w, p) in by_title.items() if w == 0])

    def test_hostile_values_show_as_text_and_run_or_load_nothing(self):
        self.load()
        card = [c for c in by_css(self.driver, ".card")
                if by_css(c, ".title")[0].text.startswith("<script>")][0]
        by_css(card, "summary")[0].click()
        shown = {
            "title": ".title", "plot": ".plot", "tagline": ".tagline",
            "director": ".director", "comments": ".comments", "Type": ".type",
            "rate": ".rate",
        }
        for key, selector in shown.items():
            with self.subTest(field=key):
                self.assertEqual(HOSTILE[key], self.driver.execute_script(
                    "return arguments[0].querySelector(arguments[1])"
                    ".textContent", card, selector))
        self.assertEqual("<b onmouseover=alert(1)>Bold</b>, &amp; &lt;",
                         by_css(card, ".cast")[0].text)
        self.assertIsNone(self.driver.execute_script("return window.__ran"))
        for tag in ["script", "iframe", "svg", "link", "b", "i"]:
            self.assertEqual(
                1 if tag == "script" else 0,
                len(by_css(self.driver, tag)), tag)
        urls = self.browser.requests()
        page_url = "file://" + self.page
        posters = [u for u in urls if u != page_url]
        self.assertTrue(all(u.startswith("file://" + self.folder + "/")
                            for u in posters), posters)
        self.assertIn(page_url, urls)
        # Nothing was blocked either: the page's own style and script are
        # allowed by their hashes, and nothing else tried to run.
        self.assertEqual([], [m for m in self.browser.console()
                              if "Content Security Policy" in m])
        self.assertEqual("rgb(245, 242, 237)", self.driver.execute_script(
            "return getComputedStyle(document.body).backgroundColor"))

    def test_without_javascript_every_card_shows_and_opens(self):
        self.load(scripts=False)
        self.assertEqual(self.expected_title_order(), self.visible_titles())
        self.assertFalse(by_css(self.driver, "#tools")[0].is_displayed())
        card = [c for c in by_css(self.driver, ".card")
                if by_css(c, ".title")[0].text == "Brazil"][0]
        self.assertFalse(by_css(card, ".plot")[0].is_displayed())
        by_css(card, "summary")[0].click()
        self.assertTrue(by_css(card, ".plot")[0].is_displayed())
        self.load()  # scripts on again for the other tests

    def test_a_folder_copied_whole_keeps_its_posters(self):
        copy = os.path.join(self.work, "copy")
        shutil.copytree(self.work, copy, ignore=shutil.ignore_patterns("copy"))
        shutil.rmtree(self.folder + "-moved", ignore_errors=True)
        try:
            self.load(os.path.join(copy, "out", "page.html"))
            urls = [u for u in self.browser.requests() if u.endswith(".jpg")]
            self.assertTrue(urls)
            self.assertTrue(all(u.startswith("file://" + copy) for u in urls))
            self.assertGreater(self.driver.execute_script(
                "var i = document.querySelector('img.poster');"
                "return i.decode().then(() => i.naturalWidth)"), 0)
        finally:
            shutil.rmtree(copy, ignore_errors=True)

    def test_phone_and_wide_windows_light_and_dark(self):
        colours = {}
        for name, width, dark, columns in [
                ("sample-page", None, False, None),
                ("sample-page-dark", None, True, None),
                ("sample-page-phone", 390, False, 2),
                ("sample-page-phone-dark", 390, True, 2)]:
            with self.subTest(picture=name):
                self.load(os.path.join(OUTPUT, "sample", "page.html"),
                          width=width, height=844, dark=dark)
                overflow, cols, background = self.driver.execute_script(
                    "return [document.documentElement.scrollWidth - innerWidth,"
                    " getComputedStyle(document.getElementById('cards'))"
                    ".gridTemplateColumns.split(' ').length,"
                    " getComputedStyle(document.body).backgroundColor]")
                self.assertLessEqual(overflow, 0)
                if columns:
                    self.assertEqual(columns, cols)
                else:
                    self.assertGreaterEqual(cols, 4)
                colours[dark] = background
                self.driver.save_screenshot(os.path.join(OUTPUT, name + ".png"))
        self.assertEqual("rgb(19, 20, 22)", colours[True])
        self.assertEqual("rgb(245, 242, 237)", colours[False])
        self.load()


class LargePageTest(unittest.TestCase):
    """A catalogue larger than the cards the script keeps in the list at
    once: every card is still found, counted and reached by scrolling."""
    COUNT = 600

    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="florrin-large-page-")
        # Written directly: six hundred --add runs would cost seconds.
        with open(os.path.join(cls.work, "db"), "w", newline="\n") as f:
            f.write("1.0.0-TALVERO_sTxtDB\n")
            for i in range(cls.COUNT):
                f.write("\n\n[Movie %04d]\nyear=%d\ndirector=Maker %d\n"
                        "Genre= - %s" % (i, 1900 + (i * 37) % 120, i,
                                         "Drama" if i % 3 else "War"))
        assert sample.run(FLORRIN, cls.work, "--html", "page.html") == b"!ok!"
        cls.page = os.path.join(cls.work, "page.html")
        cls.browser = browser.Browser()
        cls.driver = cls.browser.driver

    @classmethod
    def tearDownClass(cls):
        cls.browser.quit()
        shutil.rmtree(cls.work, ignore_errors=True)

    def shown(self, field="title"):
        return self.driver.execute_script(
            "return Array.from(document.querySelectorAll('.card'))"
            ".filter(c => c.offsetParent !== null)"
            ".map(c => c.querySelector('.%s').textContent)" % field)

    def scroll_to_the_end(self):
        """Scrolls down until no more cards come; the cards shown then."""
        last, still = -1, 0
        while still < 5:
            self.driver.execute_async_script(
                "var done = arguments[0];"
                "scrollTo(0, document.body.scrollHeight);"
                "setTimeout(() => requestAnimationFrame(() => done()), 50)")
            n = len(self.shown())
            still = still + 1 if n == last else 0
            last = n
        return self.shown()

    def text(self, i):
        """What the search looks in for card i: title, director, genre,
        year."""
        return "movie %04d maker %d %s %d" % (
            i, i, "drama" if i % 3 else "war", 1900 + (i * 37) % 120)

    def test_every_card_is_found_and_reached(self):
        from selenium.webdriver.support.ui import Select
        cases = [  # typed, genre
            ("", ""),
            ("movie 0599", ""),  # the last card only
            ("maker 59", ""),    # every word, anywhere
            ("", "War"),
            ("197", "Drama"),
            ("nothing like this", ""),
        ]
        for typed, genre in cases:
            expected = [
                "Movie %04d" % i for i in range(self.COUNT)
                if all(w in self.text(i) for w in typed.split())
                and (not genre or genre.lower() in self.text(i))]
            with self.subTest(typed=typed, genre=genre):
                self.browser.open(self.page)
                Select(by_css(self.driver, "#genre")[0]).select_by_value(genre)
                box = by_css(self.driver, "#search")[0]
                box.send_keys(typed)
                count = by_css(self.driver, "#count")[0].text
                self.assertEqual(
                    "%d movies" % self.COUNT if len(expected) == self.COUNT
                    else "%d of %d movies" % (len(expected), self.COUNT), count)
                # The first cards at once, in order; the rest as the user
                # scrolls.
                first = self.shown()
                self.assertEqual(bool(expected), bool(first))
                self.assertEqual(expected[:len(first)], first)
                self.assertEqual(expected, self.scroll_to_the_end())

    def test_sort_by_year_reaches_every_card_in_order(self):
        from selenium.webdriver.support.ui import Select
        self.browser.open(self.page)
        Select(by_css(self.driver, "#sort")[0]).select_by_value("year-old")
        self.scroll_to_the_end()
        years = [int(y) for y in self.shown("year")]
        self.assertEqual(self.COUNT, len(years))
        self.assertEqual(sorted(years), years)


def main():
    global FLORRIN, OUTPUT
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    FLORRIN = os.path.abspath(sys.argv[1])
    OUTPUT = os.path.abspath(sys.argv[2])
    lack = browser.missing()
    if lack:
        print("browser tests skipped: not installed: " + ", ".join(lack))
        sys.exit(1 if os.environ.get("FLORRIN_REQUIRE_BROWSER") else 77)
    # The sample catalogue people look at, beside its pictures.
    sample_folder = os.path.join(OUTPUT, "sample")
    shutil.rmtree(sample_folder, ignore_errors=True)
    sample.make(FLORRIN, os.path.join(sample_folder, "Movies"), sample.SAMPLE,
                sample.SAMPLE_POSTERS)
    assert sample.run(FLORRIN, os.path.join(sample_folder, "Movies"),
                      "--html", "../page.html") == b"!ok!"
    result = unittest.main(argv=[sys.argv[0], "-v"] + sys.argv[3:], exit=False)
    sys.exit(0 if result.result.wasSuccessful() else 1)


if __name__ == "__main__":
    main()
