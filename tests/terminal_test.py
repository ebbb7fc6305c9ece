#!/usr/bin/env python3
"""The real repoint on a real pseudo-terminal, as a person at a console meets it.

Each run gets a fresh pseudo-terminal as its controlling terminal, with
standard input from /dev/null (the keyboard is the terminal, not standard
input) and standard output and error on the terminal. What the terminal
shows is read back from its master side; its settings are compared with
`stty -g` before and after.

Usage: terminal_test.py REPOINT RECMGR SCRIPTED_LIBRARY_DIR
"""

import fcntl
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import termios
import time
import unittest

REPOINT = RECMGR = SCRIPTED_DIR = None

# Guards against a hung run; never part of what a test checks.
RUN_GUARD_SECONDS = 60

ESC = b"\x1b"
CTRL_C = b"\x03"
MARKS = b"-\\|/"
TERMINATED = b"\nRepoint Terminated by the User.\n"
COMPLETED = b"\nRepoint Run Completed!\n"


def percentage_line(value):
    return b"%03d%%\b\b\b\b" % value


def counts(scanned, updated, skipped=0, purged=0):
    return (b"Records Scanned: %d\nRecords Updated: %d\nRecords Skipped: %d\n"
            b"Orphans Purged : %d\n" % (scanned, updated, skipped, purged))


class Run:
    """One finished run: what the terminal showed, and how it ended."""

    def __init__(self, screen, status, settings_before, settings_after, settings_during):
        # The terminal turns each line end into CR LF; the program wrote LF.
        self.screen = screen.replace(b"\r\n", b"\n")
        self.status = status
        self.settings_before = settings_before
        self.settings_after = settings_after
        self.settings_during = settings_during

    def field(self):
        """The progress field: what stands behind "Updating..." up to the
        next message that begins a new line."""
        start = self.screen.index(b"Updating...") + len(b"Updating...")
        end = self.screen.index(b"\n", start)
        return self.screen[start:end]


def stty_settings(fd):
    return subprocess.run(["stty", "-g"], stdin=fd, capture_output=True,
                          check=True).stdout.strip()


def make_raw_before(fd):
    """A terminal already without echo and line editing, so keys typed
    before the run wait, unechoed, for the pass's first poll."""
    attributes = termios.tcgetattr(fd)
    attributes[3] &= ~(termios.ICANON | termios.ECHO)
    termios.tcsetattr(fd, termios.TCSANOW, attributes)


def run_on_terminal(args, cwd, env=None, typed_ahead=b"", while_updating=(),
                    raw_before=False):
    """Runs repoint with a pseudo-terminal as its controlling terminal.

    typed_ahead is typed before the process starts; each (keys, pause) of
    while_updating is typed once "Updating..." is on the screen, then the
    pause in seconds."""
    master, slave = os.openpty()
    try:
        if raw_before:
            make_raw_before(slave)
        before = stty_settings(slave)
        if typed_ahead:
            os.write(master, typed_ahead)

        def take_terminal():
            fcntl.ioctl(1, termios.TIOCSCTTY, 0)

        process = subprocess.Popen(
            args, cwd=cwd, env=env, stdin=subprocess.DEVNULL, stdout=slave,
            stderr=slave, start_new_session=True, preexec_fn=take_terminal)
        screen = b""
        during = None
        deadline = time.monotonic() + RUN_GUARD_SECONDS
        while True:
            ready, _, _ = select.select([master], [], [], 0.01)
            if ready:
                screen += os.read(master, 65536)
            if during is None and b"Updating..." in screen:
                during = stty_settings(slave)
                for keys, pause in while_updating:
                    os.write(master, keys)
                    time.sleep(pause)
            if process.poll() is not None and not ready:
                break
            if time.monotonic() > deadline:
                process.kill()
                raise AssertionError("run did not end: %r" % screen[-200:])
        status = process.wait()
        after = stty_settings(slave)
        return Run(screen, status, before, after, during)
    finally:
        os.close(master)
        os.close(slave)


def write_script(directory, text):
    path = os.path.join(directory, "script.txt")
    with open(path, "w") as script:
        script.write(text)
    env = dict(os.environ, REPOINT_SCRIPT=path,
               LD_LIBRARY_PATH=SCRIPTED_DIR + os.pathsep + os.environ.get("LD_LIBRARY_PATH", ""))
    return env


def slow_memo_script(memos, delay_ms):
    """N memo records, each owned by a note found in both note files, handed
    out slowly enough to type keys between them."""
    return ("old 100 alpha\nnew 200 alpha\nmemos %d 100 text\nstep_delay_ms %d\n"
            % (memos, delay_ms))


class Samples:
    """Real files of the embedded record manager, one sample directory per
    memo count, made once with recmgr."""

    def __init__(self, root):
        self.root = root
        self.made = {}

    def __call__(self, memos):
        if memos not in self.made:
            directory = os.path.join(self.root, "memos%d" % memos)
            subprocess.run([RECMGR, "sample", directory, "--notes", "50", "--memos", str(memos),
                            "--gaps", "0", "--dropped", "0", "--orphans", "0"],
                           check=True, capture_output=True)
            self.made[memos] = directory
        return self.made[memos]


def repoint_on_sample(*options):
    """The command line for the sample files in the working directory."""
    return [REPOINT, "notes.old", "notes.new", "memo.dat", *options]


class TerminalTest(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        cls.temporary = tempfile.TemporaryDirectory()
        cls.samples = Samples(cls.temporary.name)

    @classmethod
    def tearDownClass(cls):
        cls.temporary.cleanup()

    def fresh_sample(self, memos):
        """A copy of the sample, for one run to repair."""
        directory = tempfile.mkdtemp(dir=self.temporary.name)
        shutil.copytree(self.samples(memos), directory, dirs_exist_ok=True)
        return directory

    def run_sample(self, memos, *options, **terminal):
        directory = self.fresh_sample(memos)
        return run_on_terminal(repoint_on_sample(*options), directory, **terminal)

    def assert_marks_follow(self, marks):
        """The first mark of the process is the hyphen-minus, and each
        next one follows in "-\\|/", round and round."""
        expected = bytes(MARKS[i % 4] for i in range(len(marks)))
        self.assertEqual(marks, expected)

    def split_field(self, field):
        """The progress field without its turning marks, and the marks."""
        marks = bytes(m[0] for m in re.findall(rb"[-\\|/]\x08", field))
        return re.sub(rb"[-\\|/]\x08", b"", field), marks

    # The progress field, byte for byte.

    def test_field_for_ten_records(self):
        run = self.run_sample(10)
        self.assertEqual(run.status, 9)
        self.assertEqual(run.field(), b"".join(percentage_line(v) for v in range(10, 101, 10))
                         + b"100%")

    def test_field_for_larger_counts(self):
        cases = [
            # indicated count, percentage lines (one per interval), first bytes
            (1234, list(range(9, 100, 10)), b"-\b009%\b\b\b\b\\\b"),
            (5000, list(range(10, 101, 10)),
             b"-\b\\\b|\b/\b-\b010%\b\b\b\b\\\b|\b/\b-\b\\\b020%\b\b\b\b"),
            (100001, list(range(0, 100)), b"-\b\\\b|\b/\b-\b\\\b|\b/\b-\b\\\b000%\b\b\b\b|\b"),
        ]
        for count, percentages, first_bytes in cases:
            with self.subTest(count=count):
                run = self.run_sample(count)
                self.assertEqual(run.status, 9)
                field = run.field()
                self.assertTrue(field.startswith(first_bytes), field[:60])
                rest, marks = self.split_field(field)
                self.assertEqual(len(marks), count // 100)
                self.assert_marks_follow(marks)
                self.assertEqual(rest, b"".join(percentage_line(v) for v in percentages)
                                 + b"100%")
                self.assertIn(counts(count, count), run.screen)

    def test_field_without_status_reporting(self):
        run = self.run_sample(5000, "/S")
        self.assertEqual(run.status, 9)
        self.assertEqual(run.field(), b"100%")

    def test_field_for_empty_memo_file(self):
        run = self.run_sample(0)
        self.assertEqual(run.status, 9)
        self.assertEqual(run.field(), b"100%")
        self.assertIn(counts(0, 0), run.screen)

    # The abort key. Keys typed ahead on a terminal that already neither
    # echoes nor edits lines wait for the pass's first poll, one per record.

    def test_keys_typed_ahead(self):
        cases = [
            # keys, records scanned when the pass stops (None: runs to the end)
            (ESC, 0),
            (b"abc" + ESC, 3),
            (b"\x1b[A" + ESC, 2),  # a cursor key is two codes, two records
            (b"\x1bOP" + ESC, 2),  # so is F1
            (b"\x1b[A", None),  # and neither stops the pass
            (b"\x1bx", None),  # Alt+x is no Esc
            (b"\x1b[3~", None),  # Delete
        ]
        for keys, stopped_after in cases:
            with self.subTest(keys=keys):
                run = self.run_sample(10, typed_ahead=keys, raw_before=True)
                self.assertNotIn(keys, run.screen)  # nothing echoed
                if stopped_after is None:
                    self.assertEqual(run.status, 9)
                    self.assertIn(COMPLETED, run.screen)
                    self.assertIn(counts(10, 10), run.screen)
                    continue
                self.assertEqual(run.status, 255)
                self.assertIn(TERMINATED + counts(stopped_after, stopped_after), run.screen)
                self.assertNotIn(b"Repoint Run Completed!", run.screen)
                self.assertNotIn(b"Terminating Status", run.screen)
                self.assertNotIn(b"100%", run.screen)
                self.assertEqual(run.settings_after, run.settings_before)

    def test_esc_typed_before_the_run_on_a_line_editing_terminal(self):
        # As a person at a shell types it: the terminal still echoes and
        # edits lines until the keyboard opens, and the Esc still waits for
        # the first record.
        run = self.run_sample(10, typed_ahead=ESC)
        self.assertEqual(run.status, 255)
        self.assertIn(TERMINATED + counts(0, 0), run.screen)
        self.assertEqual(run.settings_after, run.settings_before)

    def test_esc_typed_while_the_pass_runs(self):
        with tempfile.TemporaryDirectory() as directory:
            env = write_script(directory, slow_memo_script(100, 20))
            run = run_on_terminal([REPOINT, "old", "new", "memo"], directory, env=env,
                                  while_updating=[(ESC, 0)])
        self.assertEqual(run.status, 255)
        scanned = int(re.search(rb"Records Scanned: (\d+)", run.screen).group(1))
        self.assertLess(scanned, 100)
        self.assertIn(TERMINATED + counts(scanned, scanned), run.screen)
        self.assertNotIn(b"Repoint Run Completed!", run.screen)
        self.assertNotIn(b"\x1b", run.screen)  # the key was not echoed
        self.assertNotEqual(run.settings_during, run.settings_before)
        self.assertEqual(run.settings_after, run.settings_before)

    # Ctrl+C stops the pass as Esc does; a second one ends the process.

    def test_ctrl_c_stops_like_esc(self):
        with tempfile.TemporaryDirectory() as directory:
            env = write_script(directory, slow_memo_script(100, 20))
            run = run_on_terminal([REPOINT, "old", "new", "memo"], directory, env=env,
                                  while_updating=[(CTRL_C, 0)])
        self.assertEqual(run.status, 255)
        scanned = int(re.search(rb"Records Scanned: (\d+)", run.screen).group(1))
        self.assertIn(TERMINATED + counts(scanned, scanned), run.screen)
        self.assertEqual(run.settings_after, run.settings_before)

    def test_second_ctrl_c_ends_at_once(self):
        with tempfile.TemporaryDirectory() as directory:
            env = write_script(directory, slow_memo_script(3, 5000))
            run = run_on_terminal([REPOINT, "old", "new", "memo"], directory, env=env,
                                  while_updating=[(CTRL_C, 0.2), (CTRL_C, 0)])
        self.assertEqual(run.status, -signal.SIGINT)
        self.assertNotIn(b"Records Scanned", run.screen)
        self.assertEqual(run.settings_after, run.settings_before)

    # The terminal's settings after every way out.

    def test_settings_restored(self):
        with tempfile.TemporaryDirectory() as directory:
            not_loaded = write_script(directory, "fail 0 1 20\n")
            cases = [
                ("normal end", self.fresh_sample(10), None, 9),
                ("failed open", directory, None, 12),
                ("record manager not loaded", directory, not_loaded, 1),
            ]
            for name, cwd, env, status in cases:
                with self.subTest(name):
                    run = run_on_terminal(repoint_on_sample(), cwd, env=env)
                    self.assertEqual(run.status, status, run.screen)
                    self.assertEqual(run.settings_after, run.settings_before)

    # Without any terminal (cron, CI, nohup): the run goes to its end.

    def test_without_terminal(self):
        directory = self.fresh_sample(1234)
        process = subprocess.run(repoint_on_sample(), cwd=directory,
                                 stdin=subprocess.DEVNULL, capture_output=True,
                                 start_new_session=True, timeout=RUN_GUARD_SECONDS)
        self.assertEqual(process.returncode, 9)
        self.assertTrue(process.stderr.endswith(b"099%\b\b\b\b100%"), process.stderr[-40:])
        self.assertIn(counts(1234, 1234), process.stdout)


if __name__ == "__main__":
    REPOINT, RECMGR, SCRIPTED_DIR = (os.path.abspath(path) for path in sys.argv[1:4])
    unittest.main(argv=sys.argv[:1] + sys.argv[4:], verbosity=2)
