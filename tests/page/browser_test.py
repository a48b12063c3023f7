"""The page of --html in a real browser: headless Chromium, at a wide and
a narrow window.  For each deck, from the rendered page: every array with
storage has a box whose area is its share of the treemap's, no two boxes
overlap, the page asks for nothing over the network and logs no error,
and the chart has a point for each pixel column and marks the deck's own
multiplier; the page of a difference
too, but for the chart it does not have.  The numbers come from --json of
the same deck (the new one of a difference).

Usage: browser_test.py SIZGEN SOURCE_DIR.  Exits 77 (skipped) where
Chromium, its driver or Selenium is missing."""

import json
import os
import subprocess
import sys
import tempfile

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
except ImportError:
    print("skipped: python3-selenium is not installed")
    sys.exit(77)

CHROMIUM = "/usr/bin/chromium"
DRIVER = "/usr/bin/chromedriver"
WINDOWS = [(1400, 1000), (420, 900)]  # wide, narrow
# Printed coordinates are hundredths of the treemap's 960 x 540 canvas.
CANVAS_WIDTH = 960.0
EDGE = 0.01

# Every box: its array, bytes and rendered rectangle; the chart's points
# and the deck's mark, with their rendered centres.
MEASURE = """
const rect = e => { const r = e.getBoundingClientRect();
  return [r.left, r.top, r.width, r.height]; };
const svg = document.querySelector('svg.treemap');
const centre = e => { const r = e.getBoundingClientRect();
  return r.left + r.width / 2; };
return {
  canvas: rect(svg),
  boxes: [...svg.querySelectorAll('rect.array')].map(e => ({
    row: +e.dataset.row, bytes: +e.dataset.bytes, box: rect(e)})),
  points: [...document.querySelectorAll('svg.chart circle.point')].map(e => ({
    multiplier: +e.dataset.multiplier, x: centre(e)})),
  deck: (e => e && ({multiplier: +e.dataset.multiplier, bytes: +e.dataset.bytes, x: centre(e)}))(
    document.querySelector('svg.chart circle.deck')),
};
"""


def fail(failures, deck, window, message):
    failures.append(f"{os.path.basename(deck)} at {window[0]}x{window[1]}: {message}")


# The browser gives rectangles in single precision: boxes that share an
# edge may seem to cross it by some 1e-4 pixels.
SHARED_EDGE = 0.01


def overlap(a, b):
    """Whether two rendered boxes overlap by more than a shared edge."""
    w = min(a[0] + a[2], b[0] + b[2]) - max(a[0], b[0])
    h = min(a[1] + a[3], b[1] + b[3]) - max(a[1], b[1])
    return w > SHARED_EDGE and h > SHARED_EDGE


def check_page(driver, url, deck, window, result, failures):
    driver.set_window_size(*window)
    driver.get(url)
    seen = driver.execute_script(MEASURE)

    # Requests: the page itself and nothing else.
    for entry in driver.get_log("performance"):
        message = json.loads(entry["message"])["message"]
        if message["method"] == "Network.requestWillBeSent":
            asked = message["params"]["request"]["url"]
            if asked != url:
                fail(failures, deck, window, f"request for {asked}")
    for entry in driver.get_log("browser"):
        if entry["level"] in ("SEVERE", "WARNING"):
            fail(failures, deck, window, f"console: {entry['message']}")

    # The boxes: one per array with storage, each its share of the canvas.
    stored = {a["row"]: a["bytes"] for a in result["arrays"] if a["bytes"] > 0}
    boxes = {b["row"]: b for b in seen["boxes"]}
    if set(boxes) != set(stored):
        fail(failures, deck, window, f"boxes for rows {sorted(set(boxes) ^ set(stored))}")
    total = result["storage"]["commonBytes"]
    scale = seen["canvas"][2] / CANVAS_WIDTH  # rendered pixels per canvas pixel
    canvas_area = seen["canvas"][2] * seen["canvas"][3]
    for row, box in boxes.items():
        if box["bytes"] != stored.get(row):
            fail(failures, deck, window, f"row {row}: {box['bytes']} bytes, --json {stored.get(row)}")
        _, _, w, h = box["box"]
        expected = stored.get(row, 0) / total * canvas_area
        slack = EDGE * scale * (w + h) + (EDGE * scale) ** 2 + 1e-3
        if abs(w * h - expected) > slack:
            fail(failures, deck, window, f"row {row}: area {w * h:.4f}, its share {expected:.4f}")
    listed = list(boxes.values())
    for i, a in enumerate(listed):
        for b in listed[:i]:
            if overlap(a["box"], b["box"]):
                fail(failures, deck, window, f"rows {a['row']} and {b['row']} overlap")

    # The chart's mark: the deck's multiplier, between the points around it.
    if seen["deck"] is None:  # the page of a difference has no chart
        return len(boxes)
    settings = result["settings"]
    own = settings["finmul"] if settings["scaleCard"] else 1.0
    mark = seen["deck"]
    if abs(mark["multiplier"] - own) > 1e-9 * max(1.0, abs(own)):
        fail(failures, deck, window, f"mark at {mark['multiplier']}, deck's multiplier {own}")
    if mark["bytes"] != total:
        fail(failures, deck, window, f"mark at {mark['bytes']} bytes, --json {total}")
    xs = [p["x"] for p in seen["points"]]
    if max(xs) - min(xs) > len(xs):
        fail(failures, deck, window, f"{len(xs)} points over {max(xs) - min(xs):.1f} pixels")
    below = [p["x"] for p in seen["points"] if p["multiplier"] <= own]
    above = [p["x"] for p in seen["points"] if p["multiplier"] >= own]
    if not below or not above or not (max(below) - 0.5 <= mark["x"] <= min(above) + 0.5):
        fail(failures, deck, window, f"mark drawn at x = {mark['x']}, not among its neighbours")
    return len(boxes)


def main():
    sizgen, source = sys.argv[1], sys.argv[2]
    if not (os.access(CHROMIUM, os.X_OK) and os.access(DRIVER, os.X_OK)):
        print("skipped: chromium or chromium-driver is not installed")
        return 77
    decks = [os.path.join(source, "examples", "typical.deck")] + [
        os.path.join(source, "tests", "decks", name)
        for name in ("defmul.deck", "reals.deck", "ramtables.deck", "lists.deck")]
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu",
                     "--disable-dev-shm-usage", "--hide-scrollbars"):
        options.add_argument(argument)
    options.set_capability("goog:loggingPrefs", {"performance": "ALL", "browser": "ALL"})
    failures = []
    checked = 0
    with tempfile.TemporaryDirectory() as directory:
        driver = webdriver.Chrome(service=Service(DRIVER), options=options)
        try:
            # Each deck's page, then the page of the difference from the
            # last deck to the first, whose boxes are the first deck's.
            pages = [(deck, [deck]) for deck in decks] + [(decks[0], ["--diff=" + decks[-1], decks[0]])]
            for n, (deck, arguments) in enumerate(pages):
                page = os.path.join(directory, f"page-{n}.html")
                with open(page, "wb") as out:
                    subprocess.run([sizgen, "--html"] + arguments, stdout=out, check=True)
                result = json.loads(subprocess.run([sizgen, "--json", deck], capture_output=True,
                                                   check=True).stdout)
                for window in WINDOWS:
                    checked += check_page(driver, "file://" + page, deck, window, result, failures)
        finally:
            driver.quit()
    for failure in failures:
        print(failure)
    print(f"{len(pages)} pages at {len(WINDOWS)} window sizes, {checked} boxes: "
          f"{len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
