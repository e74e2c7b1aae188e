"""areatool review's page opened in a real browser, headless Chromium
driven over its DevTools pipe, from the file system: every picture is
loaded lazily and loads at its own size once scrolled into view, no
request leaves the out folder, every name shows as itself, and the
statuses are diff's."""

import fcntl
import json
import os
import shutil
import signal
import subprocess
import threading
import unittest
import urllib.parse

from harness import area_bytes
from tool_support import BOARD, ToolTest
from harness import TILE

CHROMIUM = shutil.which("chromium")
BROWSER_DEADLINE = 60  # seconds before Chromium is killed

# Run in the page once it has loaded: each picture scrolled into view in
# turn, as a reader would, until it has loaded (the pictures are loaded
# lazily); then each picture as the browser has it.
SCROLLED = """(async () => { for (const i of document.images) { i.scrollIntoView();
    if (!i.complete) await new Promise(done => { i.onload = i.onerror = done; }); } return true; })()"""
IMAGES = """JSON.stringify([...document.images].map(i => ({
    src: i.getAttribute("src"), alt: i.alt, loading: i.loading, complete: i.complete,
    natural: [i.naturalWidth, i.naturalHeight], shown: [i.width, i.height]})))"""


def load_in_chromium(url, profile):
    """(every URL the page requested, its pictures as IMAGES gives them,
    its text) for url loaded in headless Chromium, which is killed with
    SIGKILL at BROWSER_DEADLINE."""
    to_browser, from_browser = os.pipe(), os.pipe()
    # Chromium reads the protocol on fd 3 and writes on fd 4; the pipes are
    # put there by bash (dash takes no fd above 9), from numbers clear of both.
    ours = [fcntl.fcntl(fd, fcntl.F_DUPFD, 10) for fd in (to_browser[0], from_browser[1])]
    command = 'exec "$@" 3<&%d 4>&%d %d<&- %d>&-' % (ours[0], ours[1], ours[0], ours[1])
    browser = subprocess.Popen(["bash", "-c", command, "bash", CHROMIUM, "--headless", "--no-sandbox",
                                "--disable-gpu", "--no-first-run", "--remote-debugging-pipe",
                                "--user-data-dir=" + profile, "about:blank"],
                               pass_fds=ours, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, start_new_session=True)
    for fd in (*to_browser, *from_browser, *ours):
        if fd not in (to_browser[1], from_browser[0]):
            os.close(fd)
    killer = threading.Timer(BROWSER_DEADLINE, os.killpg, (browser.pid, signal.SIGKILL))
    killer.start()
    writer, reader = os.fdopen(to_browser[1], "wb"), os.fdopen(from_browser[0], "rb")
    calls, pending = [0], b""

    def receive():
        nonlocal pending
        while b"\0" not in pending:
            chunk = reader.read1(65536)
            if not chunk:
                raise AssertionError("Chromium ended or was killed")
            pending += chunk
        message, pending = pending.split(b"\0", 1)
        return json.loads(message)

    requests = []

    def call(method, session=None, until=None, **params):
        """Sends one command; returns its result, after the event until when named."""
        calls[0] += 1
        message = {"id": calls[0], "method": method, "params": params}
        if session:
            message["sessionId"] = session
        writer.write(json.dumps(message).encode() + b"\0")
        writer.flush()
        result, seen = None, until is None
        while result is None or not seen:
            answer = receive()
            if answer.get("method") == "Network.requestWillBeSent":
                requests.append(answer["params"]["request"]["url"])
            seen = seen or answer.get("method") == until
            if answer.get("id") == calls[0]:
                if "error" in answer:
                    raise AssertionError("%s: %s" % (method, answer["error"]))
                result = answer["result"]
        return result

    try:
        target = call("Target.createTarget", url="about:blank")["targetId"]
        session = call("Target.attachToTarget", targetId=target, flatten=True)["sessionId"]
        call("Network.enable", session)
        call("Page.enable", session)
        call("Page.navigate", session, until="Page.loadEventFired", url=url)
        evaluate = lambda expression: call("Runtime.evaluate", session, expression=expression, awaitPromise=True,
                                           returnByValue=True)["result"]["value"]
        evaluate(SCROLLED)
        return requests, json.loads(evaluate(IMAGES)), evaluate("document.body.innerText")
    finally:
        killer.cancel()
        os.killpg(browser.pid, signal.SIGKILL)
        browser.wait()
        writer.close()
        reader.close()


@unittest.skipUnless(CHROMIUM, "needs Debian's chromium")
class ReviewTest(ToolTest):

    def test_page_of_two_folders_loads_whole_in_a_browser_from_its_folder_alone(self):
        self.write("old/rooms/hall.ard", area_bytes({(3, 1): 2}))
        self.write("new/rooms/hall.ard", area_bytes({(3, 1): 5}, mark=(3, 1)))
        self.write("old/gone.ard", area_bytes())
        self.write("new/<b>&x.ard", area_bytes({(0, 0): 42}))
        for side in ("old", "new"):
            self.write(side + "/same.ard", area_bytes({(9, 9): 8}))
        self.write("new/notes.txt", b"not an area")
        self.write("out/mine.txt", b"kept")

        status, out, err = self.tool("review", "--scale", "2", "old", "new", "--out", "out")
        self.assertEqual((status, out), (2, ""))
        self.assertEqual(err.splitlines(), ["areatool: %s: not an area: only 11 of the 420 bytes of an area"
                                            % os.path.join("new", "notes.txt")])
        page = self.read("out/index.html").decode()
        self.assertNotIn("<script", page)
        self.assertEqual(self.read("out/mine.txt"), b"kept")
        self.assertEqual(sorted(os.path.relpath(os.path.join(d, f), self.path("out"))
                                for d, _, files in os.walk(self.path("out")) for f in files),
                         ["<b>&x.ard.png", "gone.ard.png", "index.html", "mine.txt", "rooms/hall.ard.png"])

        out_url = "file://" + urllib.parse.quote(os.path.realpath(self.path("out")))
        requests, images, text = load_in_chromium(out_url + "/index.html", self.path("profile"))
        self.assertTrue(requests)
        for url in requests:
            self.assertTrue(url.startswith(out_url + "/"), url)
        board, difference = 2 * BOARD, 2 * (2 * BOARD + TILE)
        self.assertEqual([(i["src"], i["alt"], i["loading"], i["complete"], i["natural"], i["shown"])
                          for i in images], [
            ("./rooms/hall.ard.png", "rooms/hall.ard: 2 differences", "lazy", True, [difference, board],
             [difference, board]),
            ("./%3Cb%3E%26x.ard.png", "<b>&x.ard: added", "lazy", True, [board, board], [board, board]),
            ("./gone.ard.png", "gone.ard: removed", "lazy", True, [board, board], [board, board])])
        for shown in ["1 changed, 1 added, 1 removed, 1 unchanged, 1 file that is not an area",
                      "notes.txt\nnew: only 11 of the 420 bytes of an area",
                      "mark: column 0, row 0 -> column 3, row 1\ncell at column 3, row 1: 2 -> 5",
                      "<b>&x.ard\n", "cell at column 0, row 0 holds 42, which the tile set cannot draw",
                      "Unchanged\nsame.ard"]:
            self.assertIn(shown, text)

        # Without the file that is not an area the status says only that
        # areas differ; with the same folder on both sides, that none does.
        os.remove(self.path("new/notes.txt"))
        self.assertEqual(self.tool("review", "old", "new", "--out", "out"), (1, "", ""))
        self.assertEqual(self.tool("review", "--out", "out", "new", "new"), (0, "", ""))


if __name__ == "__main__":
    unittest.main()
