#!/usr/bin/env python3
"""Randomized input through the real program, as a user's hands and clipboard give it.

Drives Tarvelin.exe under Wine and a window manager for TARVELIN_RANDOM_SECONDS (60 by default)
with steps drawn from STEPS, seeded by TARVELIN_RANDOM_SEED (drawn afresh and printed when
unset): real X keys, clicks, pointer moves and wheel buttons (xdotool), clipboard texts put by
another X program (xclip), and wheel messages of the probe (ui_probe.exe --serve, which also
reads the program's state after every step). A key or click that activates a button plays its
whole round: Generate, About, the password-file command with a small count, Exit (the program is
started again). After every step the INVARIANTS hold, after every Generate the GENERATE_CHECKS,
after every password file the FILE_CHECKS. A failure prints the seed, the step and the steps
before it, and leaves a screenshot; the same seed draws the same steps again.
"""
import os
import random
import re
import select
import subprocess
import sys
import time

BUILD = os.environ["TARVELIN_BUILD"]
WINE_RUN = os.environ["TARVELIN_WINE_RUN"]
PROGRAM = os.path.join(BUILD, "Tarvelin.exe")
PROBE = os.path.join(BUILD, "tests", "e2e", "ui_probe.exe")
SEED = int(os.environ.get("TARVELIN_RANDOM_SEED") or random.SystemRandom().randrange(1 << 32))
SECONDS = float(os.environ.get("TARVELIN_RANDOM_SECONDS") or 60)
START = time.monotonic()
CODE_PAGE = "cp1251" if os.environ.get("LC_ALL", "").startswith("ru_RU") else "cp1252"
WORK = os.path.join(BUILD, f"e2e-random-input-{os.getpid()}")
SITE = "http://www.corvanix.example/"
MAIN_CAPTION = "Tarvelin FREE 1.12"
NO_ALPHABET = "Не задан набор символов для генерации пароля."

# The windows, their client sizes and the controls' centres, in pixels at 96 dpi.
MAIN_SIZE = (524, 136)
MAIN = {"alphabet": (200, 32), "length": (475, 32), "spin_up": (508, 27), "spin_down": (508, 38),
        "password": (260, 64), "group": (100, 8), "gap": (262, 50), "panel": (236, 101),
        "gen": (76, 101), "file": (178, 101), "about": (342, 101), "exit": (470, 101), "banner": (262, 129)}
DIALOG_CAPTION, DIALOG_SIZE = "Соханение файла паролей", (482, 73)
DIALOG = {"open": (74, 51), "close": (421, 51), "count": (440, 14)}
ABOUT_CAPTION, ABOUT_SIZE = "О программе", (500, 360)
ABOUT = {"close": (436, 326), "text": (250, 200)}

# Keys as xdotool names them. Return and space press the focused button.
KEYS = (list("0123456789") + ["a", "q", "x", "f", "Z", "X", "minus", "plus", "dollar", "space", "Return",
        "Tab", "shift+Tab", "Up", "Down", "Left", "Right", "Home", "End", "BackSpace", "Delete", "Escape",
        "shift+Insert", "shift+Delete", "ctrl+Insert", "ctrl+v", "ctrl+x", "ctrl+c", "ctrl+z", "shift+Home",
        "shift+End"])
PRESS_KEYS = ("Return", "space")
# Texts another program puts on the clipboard: numbers the length field takes, texts its paste
# check must refuse, words in and beyond both code pages, several lines, long texts.
CLIPBOARD_TEXTS = ["5", "12", "64", " 42", "+8", "-3", "0", "007", "$1F", "0x10", "X2a", "2147483647",
                   "2147483648", "99999999999", "$123456789", "1 2", "12abc", "1e3", "\u0663", "\uff11\uff12",
                   "abc", "Zz9", "Hello, world", "пароль", "ёжик", "\u0104\u0141\u00d3", "na\u00efve", "\u20acuro",
                   "\u65e5\u672c", "12\n34", "line one\nline two", "абвгдеёжзий" * 200, "x1" * 1500]
WHEEL_DELTAS = [30, -30, 120, -120, 240, -240]
# The longest password a Generate may make and the longest line of a password file: longer
# lengths are typed back to a small one first (a length typed by digits can reach 2^31 - 1).
GENERATE_MAX, FILE_LENGTH_MAX = 1000, 40


class Failure(Exception):
    pass


# --- the integer-text rule of the numeric fields, and their steps

def parse_integer_text(text):
    """The value of text by the integer-text rule, None when the text breaks it."""
    rest = text.lstrip(" ")
    negative = rest[:1] == "-"
    if rest[:1] in ("-", "+"):
        rest = rest[1:]
    if rest[:1] in ("$", "x", "X"):
        digits, base = rest[1:], 16
    elif rest[:2] in ("0x", "0X"):
        digits, base = rest[2:], 16
    else:
        digits, base = rest, 10
    allowed = "0123456789abcdefABCDEF" if base == 16 else "0123456789"
    if not digits or any(c not in allowed for c in digits):
        return None
    if base == 16:
        if len(digits.lstrip("0")) > 8:
            return None
        value = (-int(digits, 16) if negative else int(digits, 16)) % (1 << 32)
        return value - (1 << 32) if value >= 1 << 31 else value
    value = -int(digits) if negative else int(digits)
    return value if -(1 << 31) <= value < 1 << 31 else None


def field_value(text, min_value=1):
    """What a field reads: 0 when empty, its lower bound when the text breaks the rule."""
    if text == "":
        return 0
    value = parse_integer_text(text)
    return min_value if value is None else value


def stepped_text(text, notches, min_value=1):
    """The text after notches steps of 1: wrapping in 32 bits, then bounded below, in decimal."""
    value = (field_value(text, min_value) + notches + (1 << 31)) % (1 << 32) - (1 << 31)
    return str(max(value, min_value))


def exit_text(text, min_value=1):
    """The text after the focus leaves the field: "-0" and "-" become "0", a value below the
    bound becomes the bound; anything else stays."""
    text = "0" if text in ("-0", "-") else text
    value = field_value(text, min_value)
    return str(min_value) if value < min_value else text


RULE_CHARACTERS = set(" +-$xX0123456789abcdefABCDEF")


class WheelRest:
    """The wheel distance the length field has not stepped for yet: whole notches of 120 step, a
    turn the other way starts afresh, the rest is forgotten when the focus moves."""

    def __init__(self):
        self.rest = 0

    def notches(self, delta):
        if (self.rest > 0 > delta) or (self.rest < 0 < delta):
            self.rest = 0
        total = self.rest + delta
        whole = abs(total) // 120 * (1 if total >= 0 else -1)
        self.rest = total - whole * 120
        return whole


# --- the processes: the program, the probe, the X tools

def run(*command, check=True, strip=True):
    result = subprocess.run(command, capture_output=True, timeout=60)
    if check and result.returncode != 0:
        raise Failure(f"{' '.join(command)}: {result.stderr.decode(errors='replace').strip()}")
    output = result.stdout.decode(errors="replace")
    return output.strip() if strip else output


class Probe:
    def __init__(self):
        self.process = subprocess.Popen([WINE_RUN, PROBE, "--serve"], stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE)
        self.buffer = b""

    def ask(self, *words, seconds=90):
        """Runs steps; returns the last value of each key they reported."""
        escaped = (w.translate({ord("\\"): "\\\\", ord("\t"): "\\t", ord("\r"): "\\r", ord("\n"): "\\n"}) for w in words)
        self.process.stdin.write(("\t".join(escaped) + "\n").encode())
        self.process.stdin.flush()
        answer = {}
        deadline = time.monotonic() + seconds
        while True:
            while b"\n" not in self.buffer:
                left = deadline - time.monotonic()
                if left <= 0 or not select.select([self.process.stdout], [], [], left)[0]:
                    raise Failure(f"the probe did not answer {words} within {seconds} s")
                chunk = os.read(self.process.stdout.fileno(), 65536)
                if not chunk:
                    raise Failure("the probe ended")
                self.buffer += chunk
            line, self.buffer = self.buffer.split(b"\n", 1)
            line = line.decode()
            if line == ".":
                break
            key, _, value = line.partition("=")
            answer[key] = re.sub(r"\\(.)", lambda m: {"t": "\t", "r": "\r", "n": "\n"}.get(m[1], m[1]), value)
        if "error" in answer:
            raise Failure(f"probe {' '.join(words)}: {answer['error']}")
        return answer

    def close(self):
        self.process.stdin.close()
        self.process.wait(timeout=30)


def x_window(caption, seconds=10):
    """The X window of a visible window with this caption."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = run("xdotool", "search", "--onlyvisible", "--name", f"^{caption}$", check=False).split()
        if found:
            return found[0]
        time.sleep(0.1)
    raise Failure(f"no window '{caption}' on the display")


def point(window, size, x, y):
    """A point of a window's client area in its X window: without a window manager Wine draws the
    frame inside the X window."""
    geometry = dict(line.split("=") for line in run("xdotool", "getwindowgeometry", "--shell", window).split())
    border = (int(geometry["WIDTH"]) - size[0]) // 2
    caption = int(geometry["HEIGHT"]) - size[1] - border
    return str(x + border), str(y + caption)


def move(window, size, place):
    run("xdotool", "mousemove", "--window", window, *point(window, size, *place))


def click(window, size, place):
    move(window, size, place)
    run("xdotool", "click", "1")


def key(name):
    run("xdotool", "key", name)


def winpath(path):
    return "Z:" + path.replace("/", "\\")


# --- the walk

class Walk:
    def __init__(self):
        self.rng = random.Random(SEED)
        self.log = []
        self.probe = None
        self.program = None
        self.main = None
        self.rest = WheelRest()
        self.main_focus = None
        self.clipboard_owner = None
        self.files = []
        self.counts = {}
        self.state = {}
        self.before = {}
        self.trail = []  # the last states seen, for a failure's report
        self.step_start = START

    # the program

    def start(self):
        if self.program is None:
            self.wait_until(lambda: not run("xdotool", "search", "--name", f"^{MAIN_CAPTION}$", check=False), 10,
                            "another program's window is on the display")
        self.program = subprocess.Popen([WINE_RUN, PROGRAM], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.main = x_window(MAIN_CAPTION, 30)
        if self.probe is None:
            self.probe = Probe()
        self.probe.ask("attach", "30")
        self.rest, self.main_focus = WheelRest(), None
        # Mapped is not yet shown: wait until the window manager has made it active.
        self.wait_until(lambda: self.active_x() == self.main and self.snapshot()["main_active"] == "1", 10,
                        "the started program's window never became active")

    def alive(self):
        return self.program.poll() is None

    def active_x(self):
        return run("xdotool", "getactivewindow", check=False)

    def snapshot(self):
        self.state = self.probe.ask("state", "get", "alphabet", "get", "length", "get", "password")
        self.trail = self.trail[-11:] + [f"{time.monotonic() - START:.3f} s: {self.state['windows']}, active "
                                         f"{self.state['active']}, focus {self.state['focus']}"]
        return self.state

    def wait_until(self, condition, seconds, why):
        deadline = time.monotonic() + seconds
        while not condition():
            if time.monotonic() > deadline:
                raise Failure(why)
            time.sleep(0.05)

    def shown(self, caption, name):
        """The X window of a window just shown, once it is active and Wine takes it to stand where
        the display shows it. Under a window manager Wine now and then takes a freshly shown
        dialog to stand at 0,0 while the display shows it where the program placed it, and hands
        clicks on it to the window it believes is under the pointer; moving the window to where
        it is shown, as a user may drag it, makes Wine take its place again."""
        window = x_window(caption)
        self.wait_until(lambda: self.active_x() == window, 5, f"the window '{caption}' is not the active window")
        for _ in range(20):
            geometry = dict(line.split("=") for line in run("xdotool", "getwindowgeometry", "--shell", window).split())
            x, y = int(geometry["X"]), int(geometry["Y"])
            left, top = (int(n) for n in self.snapshot()[f"{name}.rect"].split(",")[:2])
            # Wine's rectangle holds a frame around the X window's client area, if any.
            if 0 <= x - left <= 16 and 0 <= y - top <= 64:
                return window
            self.note(f"  Wine takes the {name} window to stand at {left},{top}, shown at {x},{y}: moved there")
            run("xdotool", "windowmove", window, str(x), str(y))
            time.sleep(0.2)
        raise Failure(f"Wine does not take the {name} window to stand where it is shown")

    def count(self, what):
        self.counts[what] = self.counts.get(what, 0) + 1

    def note(self, text):
        self.log.append(text)

    # pieces the steps share

    def set_clipboard(self, text):
        """Another X program owns the clipboard with text; Wine's clipboard takes it over. The
        probe waits on the sequence number, which it reads without opening the clipboard, so
        that it never keeps Wine from taking it."""
        for _ in range(3):
            if self.clipboard_owner and self.clipboard_owner.poll() is None:
                self.clipboard_owner.kill()
                self.clipboard_owner.wait()
            seq = self.probe.ask("clipboard-seq")["clipboard.seq"]
            # In the foreground, so that this process can end it; it ends by itself once another
            # program owns the clipboard.
            self.clipboard_owner = subprocess.Popen(["xclip", "-quiet", "-selection", "clipboard"],
                                                    stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                                    stderr=subprocess.DEVNULL)
            self.clipboard_owner.stdin.write(text.encode())
            self.clipboard_owner.stdin.close()
            deadline = time.monotonic() + 3
            while time.monotonic() < deadline and self.probe.ask("clipboard-seq")["clipboard.seq"] == seq:
                time.sleep(0.1)
            if self.probe.ask("clipboard")["clipboard.text"].replace("\r\n", "\n") == text:
                return
        raise Failure(f"the clipboard never took {text[:40]!r}")

    def small_length(self, limit):
        """Types a small length where the field would make a long password or file."""
        value = parse_integer_text(self.snapshot()["length"])
        if value is not None and value > limit:
            length = str(self.rng.randint(1, 24))
            self.note(f"  the length {value} typed back to {length}")
            self.probe.ask("set", "length", length)

    def press_on_main(self, control, key_name):
        if key_name:
            return lambda: key(key_name)

        return lambda: click(self.main, MAIN_SIZE, MAIN[control])

    def close_box_by_keyboard(self, why):
        """Enter on the box, which the window manager has made active, as the user presses it."""
        box = x_window(self.state["box.caption"], 5)
        self.wait_until(lambda: self.active_x() == box, 5, f"{why}: the box is not the active window")
        key("Return")
        self.wait_until(lambda: "box" not in self.snapshot()["windows"].split(","), 5, f"{why}: Enter left the box open")

    # the rounds a pressed button plays

    def generate(self, press):
        self.small_length(GENERATE_MAX)
        before = self.snapshot()
        seq = self.probe.ask("clipboard")["clipboard.seq"]
        press()
        self.count("generate")
        # A click on Generate takes the focus from the length field, which then shows its number.
        length = exit_text(before["length"]) if before["focus"] == "length" else before["length"]
        expect_box = before["alphabet"] == "" and field_value(length) >= 1

        def done():
            return "box" in self.snapshot()["windows"].split(",") or self.probe.ask("clipboard")["clipboard.seq"] != seq
        self.wait_until(done, 15, "Generate neither copied a password nor reported anything")
        if "box" in self.state["windows"].split(","):
            if not expect_box or self.state.get("box.text") != NO_ALPHABET:
                raise Failure(f"Generate raised the box '{self.state.get('box.caption')}': {self.state.get('box.text')}")
            self.close_box_by_keyboard("the empty-alphabet box")
            if self.snapshot()["password"] != before["password"]:
                raise Failure("Generate with an empty alphabet changed the password")
            return
        if expect_box:
            raise Failure("Generate with an empty alphabet raised no box")
        after = self.snapshot()
        clipboard = self.probe.ask("clipboard")
        clipboard["x.text"] = run("xclip", "-o", "-selection", "clipboard", check=False, strip=False)
        clipboard["x.targets"] = run("xclip", "-o", "-selection", "clipboard", "-t", "TARGETS", check=False).split()
        for name, check in GENERATE_CHECKS:
            problem = check(after, clipboard)
            if problem:
                raise Failure(f"after Generate, {name}: {problem}")

    def about(self, press):
        press()
        self.count("about")
        window = self.shown(ABOUT_CAPTION, "about")
        for _ in range(self.rng.randint(0, 2)):
            inside = self.rng.choice(["Tab", "Left", "x", "hover", "wheel"])
            self.note(f"  in About: {inside}")
            if inside == "hover":
                move(window, ABOUT_SIZE, ABOUT["text"])
            elif inside == "wheel":
                self.probe.ask("wheel", "point", str(self.rng.choice(WHEEL_DELTAS)))
            else:
                key(inside)
        way = self.rng.choice(["click", "Return", "space", "alt+F4", "Escape"])
        self.note(f"  About closed by {way}")
        if way == "click":
            click(window, ABOUT_SIZE, ABOUT["close"])
        else:
            key(way)
            if way == "Escape":  # does not close About: Enter does then
                time.sleep(0.3)
                if "about" not in self.snapshot()["windows"].split(","):
                    raise Failure("Escape closed About")
                key("Return")
        self.wait_until(lambda: "about" not in self.snapshot()["windows"].split(","), 10, f"{way} did not close About")

    def password_file(self, press):
        self.small_length(FILE_LENGTH_MAX)
        press()
        window = self.shown(DIALOG_CAPTION, "dialog")
        if self.rng.random() < 0.15:
            self.note("  closed without a file")
            click(window, DIALOG_SIZE, DIALOG["close"])
            self.wait_until(lambda: self.snapshot()["windows"] == "main", 10, "Закрыть did not close the dialog")
            return
        count = self.rng.randint(1, 30)
        overwrite = bool(self.files) and self.rng.random() < 0.3
        path = self.rng.choice(self.files) if overwrite else os.path.join(WORK, f"file{len(self.files)}.txt")
        if not overwrite:
            self.files.append(path)
        self.note(f"  {count} passwords into {os.path.basename(path)}{' (over the old one)' if overwrite else ''}")
        self.probe.ask("set", "count", str(count))
        old = os.stat(path).st_mtime_ns if overwrite else None
        click(window, DIALOG_SIZE, DIALOG["open"])
        self.count("file")
        self.probe.ask("save-name", winpath(path))
        # Confirmed by Enter on the display, as the user confirms it.
        save = x_window(self.snapshot()["save.caption"])
        self.wait_until(lambda: self.active_x() == save, 5, "the save dialog is not the active window")
        key("Return")
        if overwrite:
            prompt = self.probe.ask("box-stays", "prompt", "10")
            box = x_window(prompt["prompt.caption"], 5)
            self.wait_until(lambda: self.active_x() == box, 5, "the overwrite prompt is not the active window")
            key("Return")  # replaces the file
        self.wait_until(lambda: "dialog" not in self.snapshot()["windows"].split(",") and "save" not in
                        self.state["windows"].split(","), 30, "the file was not written")
        alphabet, length = self.state["alphabet"], field_value(self.state["length"])
        # The main window writes the file after the dialogs have gone, letting messages through.
        sizes = []

        def written():
            sizes.append(os.stat(path).st_size if os.path.exists(path) and os.stat(path).st_mtime_ns != old else -1)
            return len(sizes) > 2 and sizes[-1] == sizes[-2] == sizes[-3] >= 0
        self.wait_until(written, 30, "the file was not written")
        if alphabet == "":
            self.wait_until(lambda: "box" in self.snapshot()["windows"].split(","), 10,
                            "a password file with an empty alphabet raised no box")
            if self.state.get("box.text") != NO_ALPHABET:
                raise Failure(f"the password file raised the box: {self.state.get('box.text')}")
            self.close_box_by_keyboard("the empty-alphabet box")
        data = open(path, "rb").read()
        for name, check in FILE_CHECKS:
            problem = check(data, count, alphabet, length)
            if problem:
                raise Failure(f"the password file {os.path.basename(path)}, {name}: {problem}")

    def exit(self, press):
        press()
        self.count("exit")
        deadline = time.monotonic() + 15
        while self.alive():
            if time.monotonic() > deadline:
                raise Failure("Exit did not end the program")
            time.sleep(0.1)
        self.note("  the program ended; started again")
        self.start()

    def banner(self):
        opened = os.path.join(WORK, "opened.txt")
        if os.path.exists(opened):
            os.remove(opened)
        click(self.main, MAIN_SIZE, MAIN["banner"])
        self.count("banner")
        self.wait_until(lambda: os.path.exists(opened) and os.path.getsize(opened) > 0, 20,
                        "a click on the banner opened nothing")
        url = open(opened).read().strip()
        if url != SITE:
            raise Failure(f"a click on the banner opened {url!r}")

    def press(self, control, key_name=None):
        """Presses a control of the main window: a button plays its round. Returns what the
        length field shows after a click elsewhere."""
        # The second click of a double click is a press like the first: it takes the focus.
        focus = {control}
        press = self.press_on_main(control, key_name)
        rounds = {"gen": self.generate, "about": self.about, "file": self.password_file, "exit": self.exit}
        if control in rounds:
            rounds[control](press)
            if control != "exit":
                self.wait_until(lambda: self.snapshot()["focus"] in focus, 3,
                                f"the focus did not come back to {' or '.join(sorted(focus))} after the round")
            return None
        before = self.before["length"]
        if control == "banner":
            self.banner()
            return before
        press()
        if control in ("spin_up", "spin_down"):
            return stepped_text(before, 1 if control == "spin_up" else -1)
        if control in ("alphabet", "password") and self.before["focus"] == "length":
            return exit_text(before)
        return before


# --- the steps: each acts and returns the text the length field must show after it, if known

def typed_length(before, selection, key_name, clipboard):
    """The length field's text after a key with the focus in it; None for an undo, which is not
    modelled. Only digits pass its filter (a minus neither: its lower bound is 1); a paste that
    breaks the integer-text rule leaves the value kept before, in decimal."""
    start, end = (int(n) for n in selection.split(","))
    if key_name in list("0123456789"):
        return before[:start] + key_name + before[end:]
    if key_name in ("Up", "Down"):
        return stepped_text(before, 1 if key_name == "Up" else -1)
    if key_name in ("Tab", "shift+Tab"):
        return exit_text(before)
    if key_name in ("BackSpace", "Delete", "shift+Delete", "ctrl+x"):
        if start != end:
            return before[:start] + before[end:]
        if key_name == "BackSpace":
            return before[:max(start - 1, 0)] + before[start:]
        if key_name == "Delete":
            return before[:start] + before[start + 1:]
        return before
    if key_name in ("shift+Insert", "ctrl+v"):
        pasted = before[:start] + clipboard + before[end:]
        return pasted if parse_integer_text(pasted) is not None else str(field_value(before))
    if key_name == "ctrl+z":
        return None
    return before  # refused characters, moves of the caret, copies, Enter, Escape


def step_key(walk):
    key_name = walk.rng.choice(KEYS)
    focus = walk.before["focus"]
    # Exit by keyboard restarts the program, which costs seconds: mostly another key there.
    if focus == "exit" and key_name in PRESS_KEYS and walk.rng.random() < 0.8:
        key_name = "Tab"
    walk.note(f"key {key_name} (focus {focus})")
    if key_name in PRESS_KEYS and focus in ("gen", "about", "file", "exit"):
        return walk.press(focus, key_name)
    clipboard = walk.probe.ask("clipboard")["clipboard.text"] if key_name in ("shift+Insert", "ctrl+v") else ""
    copy_from_password = focus == "password" and key_name in ("ctrl+c", "ctrl+Insert", "ctrl+x", "shift+Delete")
    seq = walk.probe.ask("clipboard")["clipboard.seq"] if copy_from_password else None
    key(key_name)
    if copy_from_password:
        start, end = (int(n) for n in walk.before["password.selection"].split(","))
        if start != end:
            walk.wait_until(lambda: walk.probe.ask("clipboard")["clipboard.seq"] != seq, 5,
                            f"{key_name} in the password field copied nothing")
            clipboard = walk.probe.ask("clipboard")
            problem = private_copy_problem(clipboard, walk.before["password"][start:end])
            if problem:
                raise Failure(f"{key_name} in the password field: {problem}")
    if focus == "length":
        return typed_length(walk.before["length"], walk.before["length.selection"], key_name, clipboard)
    return walk.before["length"]


def step_click(walk):
    control = walk.rng.choices(list(MAIN), weights=[CLICK_WEIGHTS.get(c, 1) for c in MAIN])[0]
    walk.note(f"click {control}")
    return walk.press(control)


def step_hover(walk):
    control = walk.rng.choice(list(MAIN))
    walk.note(f"pointer over {control}")
    move(walk.main, MAIN_SIZE, MAIN[control])
    return walk.before["length"]


def step_wheel(walk):
    """One turn of a wheel, or a touchpad's stroke: up to six turns of 30 one way; half the time
    on the length field, clicked first when it has not the focus."""
    where, delta = walk.rng.choice(["focus", "point"]), walk.rng.choice(WHEEL_DELTAS)
    turns = walk.rng.randint(1, 6) if abs(delta) == 30 else 1
    focus = walk.before["focus"]
    if focus != "length" and walk.rng.random() < 0.5:
        walk.note("click length")
        walk.press("length")
        walk.wait_until(lambda: walk.snapshot()["focus"] == "length", 3, "a click on the length field gave it no focus")
        # The field that takes the focus forgets the rest.
        focus, walk.rest, walk.main_focus = "length", WheelRest(), "length"
    walk.note(f"wheel {turns} x {delta:+d} to the {'focused window' if where == 'focus' else 'window under the pointer'}")
    expected = walk.before["length"]
    for _ in range(turns):
        target = walk.probe.ask("wheel", where, str(delta))["wheel.target"]
        expected = wheeled_length(walk, expected, delta, target, focus)
    return expected


def step_wheel_button(walk):
    button, control = walk.rng.choice(["4", "5"]), walk.rng.choice(list(MAIN))
    walk.note(f"X wheel {'up' if button == '4' else 'down'} (120) over {control}")
    move(walk.main, MAIN_SIZE, MAIN[control])
    run("xdotool", "click", button)
    return wheeled_length(walk, walk.before["length"], 120 if button == "4" else -120, "main", walk.before["focus"])


def wheeled_length(walk, before, delta, target, focus):
    """The length field after a turn that reached the main window, which goes to its focused
    control."""
    if target == "none" or focus != "length":
        return before
    return stepped_text(before, walk.rest.notches(delta))


def step_clipboard(walk):
    text = walk.rng.choice(CLIPBOARD_TEXTS)
    walk.note(f"clipboard {text[:30]!r}{'...' if len(text) > 30 else ''} ({len(text)} characters)")
    walk.set_clipboard(text)
    return walk.before["length"]


def step_outside_text(walk):
    """Another program sets the length field's text or replaces its selection: checked as a
    paste, whatever the route."""
    text, replace = walk.rng.choice(CLIPBOARD_TEXTS).replace("\n", "\r\n"), walk.rng.random() < 0.5
    walk.note(f"another program {'replaces the selection of' if replace else 'sets'} the length field "
              f"with {text[:30]!r}")
    before = walk.before["length"]
    start, end = (int(n) for n in walk.before["length.selection"].split(","))
    walk.probe.ask("replace-raw" if replace else "set-raw", "length", text)
    arrived = before[:start] + text + before[end:] if replace else text
    arrived = arrived if parse_integer_text(arrived) is not None else str(field_value(before))
    # A field without the focus takes the bounds at once: it will not be left before Generate.
    return arrived if walk.before["focus"] == "length" else exit_text(arrived)


# Clicks on Generate and the password-file button play the rounds with the most to check; Exit
# restarts the program and the banner starts a browser, which cost seconds.
CLICK_WEIGHTS = {"gen": 5, "file": 2, "exit": 0.2, "banner": 0.3}
# weight, step
STEPS = [(40, step_key), (14, step_click), (4, step_hover), (10, step_wheel), (4, step_wheel_button),
         (6, step_clipboard), (2, step_outside_text)]


# --- what must hold: after every step, after Generate, in a password file

def private_copy_problem(clipboard, text):
    if clipboard["clipboard.text"] != text:
        return f"the clipboard holds {clipboard['clipboard.text'][:40]!r}, not {text[:40]!r}"
    for mark in ("exclude", "history", "cloud"):
        if clipboard[f"clipboard.{mark}"] != "0":
            return f"the clipboard's {mark} mark is {clipboard[f'clipboard.{mark}']}"
    return None


def invariant_alive(walk, expected_length):
    return None if walk.alive() else f"the program ended (exit code {walk.program.returncode})"


def invariant_windows(walk, expected_length):
    if walk.state["windows"] != "main":
        return f"the program shows {walk.state['windows']}: " + \
            (f"the box '{walk.state.get('box.caption')}': {walk.state.get('box.text')}" if "box.text" in walk.state else "")
    return None


def invariant_keyboard(walk, expected_length):
    if walk.state["main_active"] != "1" or walk.active_x() != walk.main:
        return f"the keyboard does not reach the main window (active: {walk.state['active']}, the window manager's: " \
               f"{run('xdotool', 'getactivewindow', 'getwindowname', check=False)!r})"
    return None


def invariant_length_characters(walk, expected_length):
    strange = set(walk.state["length"]) - RULE_CHARACTERS
    return f"the length field holds {walk.state['length'][:40]!r}" if strange else None


def invariant_length_text(walk, expected_length):
    if expected_length is not None and walk.state["length"] != expected_length:
        return f"the length field shows {walk.state['length'][:40]!r}, expected {expected_length[:40]!r}"
    return None


INVARIANTS = [("the program runs", invariant_alive), ("no other window or box", invariant_windows),
              ("the keyboard reaches the program", invariant_keyboard),
              ("the length field holds only the number rule's characters", invariant_length_characters),
              ("the length field shows what the step makes of it", invariant_length_text)]

GENERATE_CHECKS = [
    ("the length", lambda s, c: None if len(s["password"]) == field_value(s["length"]) else
     f"{len(s['password'])} characters, the length field shows {s['length'][:40]!r}"),
    ("the characters", lambda s, c: None if set(s["password"]) <= set(s["alphabet"]) else
     f"{sorted(set(s['password']) - set(s['alphabet']))} are not in the alphabet"),
    ("the clipboard", lambda s, c: private_copy_problem(c, s["password"])),
    ("what other X programs see", lambda s, c: None if c["x.text"] == s["password"] and
     {"ExcludeClipboardContentFromMonitorProcessing", "CanIncludeInClipboardHistory",
      "CanUploadToCloudClipboard"} <= set(c["x.targets"]) else f"{c['x.text'][:40]!r} with {c['x.targets']}"),
]


def file_text(data):
    """The file's text and its encoding: UTF-16 after its mark, else the code page's bytes."""
    if data[:2] == b"\xff\xfe":
        return data[2:].decode("utf-16-le"), "utf16"
    return data.decode(CODE_PAGE), "ansi"


def check_file_encoding(data, count, alphabet, length):
    text, encoding = file_text(data)
    if encoding == "utf16":
        fits = all(c.encode(CODE_PAGE, errors="ignore") for c in set(text) if c not in "\r\n")
        return "UTF-16 though every character fits the code page" if fits else None
    return None


def check_file_lines(data, count, alphabet, length):
    text, _ = file_text(data)
    lines = text.split("\r\n")
    if alphabet == "":
        return None if text == "" else f"{len(text)} characters from an empty alphabet"
    if lines[-1] != "" or len(lines) - 1 != count:
        return f"{len(lines) - 1} lines (the last {'with' if lines[-1] == '' else 'without'} CR LF), expected {count}"
    return None


def check_file_passwords(data, count, alphabet, length):
    text, _ = file_text(data)
    for i, line in enumerate(text.split("\r\n")[:-1]):
        if len(line) != length or not set(line) <= set(alphabet):
            return f"line {i} is {line[:40]!r}: {len(line)} characters, {sorted(set(line) - set(alphabet))} not in the alphabet"
    return None


FILE_CHECKS = [("the encoding", check_file_encoding), ("the lines", check_file_lines),
               ("the passwords", check_file_passwords)]


# --- the run

def main():
    os.makedirs(WORK, exist_ok=True)
    browser, opened = os.path.join(WORK, "browser.sh"), os.path.join(WORK, "opened.txt")
    with open(browser, "w") as f:
        f.write(f'#!/bin/sh\necho "$1" >"{opened}"\n')
    os.chmod(browser, 0o755)
    browsers = "HKCU\\Software\\Wine\\WineBrowser"
    run(WINE_RUN, "reg", "add", browsers, "/v", "Browsers", "/d", browser, "/f")
    walk = Walk()
    print(f"seed {SEED} (TARVELIN_RANDOM_SEED), {SECONDS:.0f} s (TARVELIN_RANDOM_SECONDS), code page {CODE_PAGE}")
    steps = 0
    try:
        walk.start()
        end = time.monotonic() + SECONDS
        while time.monotonic() < end:
            steps += 1
            walk.step_start = time.monotonic()
            walk.before = walk.snapshot()
            step = walk.rng.choices([s for _, s in STEPS], weights=[w for w, _ in STEPS])[0]
            expected_length = step(walk)
            time.sleep(0.05)  # X input reaches the program through the X server and Wine's driver
            deadline = time.monotonic() + 2
            while True:
                walk.snapshot()
                problems = [(name, p) for name, check in INVARIANTS if (p := check(walk, expected_length))]
                if not problems or time.monotonic() > deadline or not walk.alive():
                    break
                time.sleep(0.1)
            if problems:
                raise Failure("; ".join(f"{name}: {p}" for name, p in problems))
            focus = walk.state["focus"]
            if focus != walk.main_focus:
                walk.rest.rest, walk.main_focus = 0, focus
        tally = ", ".join(f"{n} {what}" for what, n in sorted(walk.counts.items()))
        print(f"ok: seed {SEED}, {steps} steps ({tally}) in {SECONDS:.0f} s")
        walk.probe.ask("close")
        walk.program.wait(timeout=30)
        return 0
    except (Failure, subprocess.TimeoutExpired) as failure:
        shot = os.path.join(BUILD, "shots", f"e2e-random-input-{SEED}.png")
        os.makedirs(os.path.dirname(shot), exist_ok=True)
        run("import", "-window", "root", shot, check=False)
        try:
            seen = walk.probe.ask("state") if walk.probe else {}
        except Failure as probe_failure:
            seen = {"probe": str(probe_failure)}
        seen["window manager's active window"] = run("xdotool", "getactivewindow", "getwindowname", check=False)
        print(f"FAIL: {failure}\n  seed {SEED}, step {steps}: {walk.log[-1] if walk.log else 'the start'}\n"
              f"  the program now: {seen}\n  the steps before it:", file=sys.stderr)
        for line in walk.log[-30:-1]:
            print(f"    {line}", file=sys.stderr)
        print(f"  the step began at {walk.step_start - START:.3f} s", file=sys.stderr)
        print("  the last states seen:", file=sys.stderr)
        for line in walk.trail:
            print(f"    {line}", file=sys.stderr)
        print(f"  screenshot {shot}; again with TARVELIN_RANDOM_SEED={SEED}", file=sys.stderr)
        if walk.program and walk.alive():
            walk.program.kill()
            walk.program.wait()
        return 1
    finally:
        if walk.clipboard_owner and walk.clipboard_owner.poll() is None:
            walk.clipboard_owner.kill()
        if walk.probe:
            walk.probe.process.kill()
        run(WINE_RUN, "reg", "delete", browsers, "/v", "Browsers", "/f", check=False)
        subprocess.run(["rm", "-rf", WORK])


if __name__ == "__main__":
    session = open(os.environ["TARVELIN_WINE_SESSION"]).read()
    for line in session.splitlines():
        if line.startswith("export DISPLAY="):
            os.environ["DISPLAY"] = line.split("=", 1)[1]
    sys.exit(main())
