"""Broken, hostile and odd Vadro.xml files, run through the real program: each ends with its own
message, the device library closed, exit status 0 and the file untouched; the odd but valid ones
are read. Nothing a file names is fetched. Then every kind of thing that can have the name
Vadro.xml, loaded and saved or refused."""
import concurrent.futures
import os
import shutil
import socket
import stat
import subprocess
import threading
import unittest

from harness import Workspace, Terminal, WINDOWS, BUILD, windows_command
import texts
import trace_checks

CORPUS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "malformed")
ITEMS = '<Item ID="3" Bank="1"/><Item ID="7" Bank="2"/>'
# Runs at once: each is a separate process in a folder of its own.
PARALLEL = 4


class Listener:
    """A loopback TCP listener that counts connections: files point their entities at it."""

    def __init__(self):
        self.socket = socket.socket()
        self.socket.bind(("127.0.0.1", 0))
        self.socket.listen(8)
        self.socket.settimeout(0.2)
        self.port = self.socket.getsockname()[1]
        self.connections = 0
        self.running = True
        self.thread = threading.Thread(target=self.serve, daemon=True)
        self.thread.start()

    def serve(self):
        while self.running:
            try:
                connection, _ = self.socket.accept()
            except OSError:
                continue
            self.connections += 1
            connection.close()

    def close(self):
        self.running = False
        self.thread.join()
        self.socket.close()


class Case:
    """One file in a workspace of its own, run once; `answer` is typed at the bank number prompt."""

    def __init__(self, name, content=None, make=None, args=("189-186",), prefix=(), devices="3,7", answer=None):
        self.name = name
        self.args = list(args)
        self.prefix = list(prefix)
        self.devices = devices
        self.answer = answer
        self.ws = Workspace()
        # A folder beside the file, for the targets of links.
        self.elsewhere = os.path.join(self.ws.dir, "elsewhere")
        self.target = os.path.join(self.elsewhere, "banks.xml")
        # Made before the folder can be locked.
        open(self.ws.trace, "a").close()
        try:
            if make is not None:
                make(self.ws.xml)
            else:
                with open(self.ws.xml, "wb") as f:
                    f.write(content)
        except BaseException:
            self.cleanup()
            raise
        self.before = snapshot(self.ws.xml), snapshot(self.target)

    def cleanup(self):
        for folder in (self.elsewhere, self.ws.dir):
            unlock_folder(folder)
        self.ws.cleanup()

    def run(self):
        try:
            done = subprocess.run(self.prefix + self.ws.command(self.args), input=self.answer,
                                  stdin=None if self.answer else subprocess.DEVNULL, capture_output=True,
                                  cwd=self.ws.dir, env=self.ws.env(self.devices), timeout=120)
            self.status, self.out = done.returncode, done.stdout
        except subprocess.TimeoutExpired as expired:
            self.status, self.out = "still running after %d s" % expired.timeout, expired.stdout
        return self.finish()

    def run_in_terminal(self):
        """Under Wine, whose console reads no keys from a pipe: the answer is typed in tmux."""
        term = Terminal(self.ws, self.args, self.devices)
        try:
            term.wait_text(texts.PROMPT.strip())
            term.type(self.answer.decode().rstrip("\r"))
            term.keys("Enter")
            self.status = term.exit_status()
            self.out = None
            self.screen = term.lines()
        finally:
            term.close()
        return self.finish()

    def finish(self):
        self.trace = self.ws.trace_lines()
        self.after = snapshot(self.ws.xml), snapshot(self.target)
        names = set(os.listdir(self.ws.dir)) | set("elsewhere/" + n for n in listing(self.elsewhere))
        self.leftovers = sorted(n for n in names - KNOWN_NAMES if not n.startswith("tmux-"))
        return self


# The program, its library, the trace, the target folder and what a tmux run of the harness keeps.
KNOWN_NAMES = {"Vadro.xml", "Vadro", "Vadro.exe", "USBCDDLL.dll", "calls.trace", "elsewhere", "elsewhere/banks.xml",
               "stty.before", "stty.after", "exit.status"}


def listing(folder):
    return os.listdir(folder) if os.path.isdir(folder) else []


def snapshot(path):
    """What is at the path, a link not followed: for a file its mode and bytes (its size and time
    alone beyond 2 MiB), for a link where it leads, for a directory its entries; None for nothing."""
    try:
        status = os.lstat(path)
    except FileNotFoundError:
        return None
    if stat.S_ISLNK(status.st_mode):
        return ("link", os.readlink(path))
    if stat.S_ISDIR(status.st_mode):
        return ("directory", sorted(os.listdir(path)))
    if not stat.S_ISREG(status.st_mode):
        return ("special", stat.S_IFMT(status.st_mode))
    if status.st_size > 2 << 20:
        return ("file", stat.S_IMODE(status.st_mode), status.st_size, status.st_mtime_ns)
    with open(path, "rb") as f:
        return ("file", stat.S_IMODE(status.st_mode), f.read())


def corpus(folder, port):
    """The files of one outcome folder, with {PORT} pointing at the listener."""
    result = []
    directory = os.path.join(CORPUS, folder)
    for name in sorted(os.listdir(directory)):
        with open(os.path.join(directory, name), "rb") as f:
            result.append((folder + "/" + name, f.read().replace(b"{PORT}", str(port).encode())))
    return result


def make_directory(path):
    os.mkdir(path)
    with open(os.path.join(path, "inside.xml"), "w") as f:
        f.write("<CDLibraryList>%s</CDLibraryList>" % ITEMS)


# Made here rather than kept in the repository: megabytes of text and deep nesting.
HUGE_ITEMS = 700000  # 16 MB
GENERATED_CANNOT_LOAD = [
    ("huge truncated", b"<CDLibraryList>" + b'<Item ID="3" Bank="1"/>' * HUGE_ITEMS),
    ("nested 100000 deep", b"<CDLibraryList>" + b"<a>" * 100000 + b"</a>" * 100000 + b"</CDLibraryList>"),
    ("nested 1000000 deep, never closed", b"<a>" * 1000000),
    # One text of more than ten million characters is more than the Windows document takes.
    ("comment of 16 MB", b"<CDLibraryList>" + ITEMS.encode() + b"<!--" + b"x" * (16 << 20) + b"--></CDLibraryList>"),
    ("attribute of 16 MB", b'<CDLibraryList><Item ID="3" Bank="' + b"1" * (16 << 20) + b'"/></CDLibraryList>'),
]
GENERATED_WRONG_FORMAT = [
    # Close to the size limit.
    ("40000 entries, then a comment",
     b"<CDLibraryList>" + b'<Item ID="3" Bank="1"/>\r\n' * 40000 + b"<!-- end --></CDLibraryList>"),
]


# The size limit of a bank map file, and a bank map of that many bytes.
SIZE_LIMIT = 1 << 20


def padded(size):
    text = ("<CDLibraryList>%s</CDLibraryList>" % ITEMS).encode()
    return text + b" " * (size - len(text))


def noted(size):
    """A bank map of `size` bytes that a save writes back whole: a note on its first entry fills it."""
    text = ('<CDLibraryList><Item ID="3" Bank="1" Note=""/><Item ID="7" Bank="2"/></CDLibraryList>').encode()
    return text.replace(b'Note=""', b'Note="' + b"x" * (size - len(text)) + b'"')


def write(path, content, mode=None, size=None):
    with open(path, "wb") as f:
        f.write(content)
        if size is not None:
            f.truncate(size)
    if mode is not None:
        os.chmod(path, mode)


def lock_folder(path):
    """No one may write the folder. Root may anyway: natively the run drops that right (ROOT_BOUND);
    under Wine its server, which makes the files, keeps root's rights, so the folder is made
    immutable, which holds for root too."""
    os.chmod(path, 0o555)
    if WINDOWS and os.geteuid() == 0:
        done = subprocess.run(["chattr", "+i", path], capture_output=True)
        if done.returncode != 0:
            raise unittest.SkipTest("the folder cannot be locked against root: " + done.stderr.decode().strip())


def unlock_folder(path):
    if os.path.isdir(path):
        subprocess.run(["chattr", "-i", path], capture_output=True)
        os.chmod(path, 0o755)


# The run without root's right to write where the modes forbid it.
ROOT_BOUND = ["setpriv", "--bounding-set=-dac_override,-dac_read_search"] \
    if not WINDOWS and os.geteuid() == 0 else []


def targeted(make_target, link_to=None):
    """Makes the link Vadro.xml to `link_to`, or else to elsewhere/banks.xml, which make_target makes."""
    def make(path):
        elsewhere = os.path.join(os.path.dirname(path), "elsewhere")
        os.mkdir(elsewhere)
        target = os.path.join(elsewhere, "banks.xml")
        if make_target is not None:
            make_target(target)
        os.symlink(link_to or target, path)
    return make


def make_read_only_target_folder(target):
    write(target, MAP)
    lock_folder(os.path.dirname(target))


MAP = ("<CDLibraryList>%s</CDLibraryList>" % ITEMS).encode()
# The dialogue for device 9 from piped input, answered with bank 1.
DIALOGUE = (b"\r\n" + texts.NEW_DEVICE.encode() + b"\r\n" + texts.PROMPT.encode() + texts.assigned(9, 1).encode() +
            b"\r\n")
CANNOT_SAVE = b"\r\nCannot save initialization file (Vadro.xml).\r\n"
EMPTY_MAP = b"^<CDLibraryList\\s*/>\\s*$"
MAP_WITH_9 = (b'^<CDLibraryList>\\s*<Item ID="3" Bank="1"\\s*/>\\s*<Item ID="7" Bank="2"\\s*/>\\s*'
              b'<Item ID="9" Bank="1"\\s*/>\\s*</CDLibraryList>\\s*$')

# Each row: name, what is made, the attached devices, the answer typed at the prompt, the output,
# and what becomes of the file: None, unchanged; else where the save went, Vadro.xml ("file") or the
# target of the link Vadro.xml, which stays as it was ("target"), and a pattern of what it holds.
# Then what differs: the run without root's rights ("bound"), and under Wine ("wine").
FILE_KINDS = [
    ("missing", lambda path: None, "", None, texts.FIRST_TIME + texts.CREATED + texts.WARNING,
     ("file", EMPTY_MAP), {}),
    ("empty", lambda path: write(path, b""), "3,7", None, texts.CANNOT_LOAD_XML, None, {}),
    ("a directory", make_directory, "3,7", None, texts.CANNOT_LOAD_XML, None, {}),
    ("a FIFO", os.mkfifo, "3,7", None, texts.CANNOT_LOAD_XML, None, {}),  # a pipe to Wine
    # The target is saved with its mode, and the link stays. Wine shows a link to a file as the file
    # itself (only links to folders are reparse points there), so the save replaces it as a plain file.
    ("a link to a file", targeted(lambda target: write(target, MAP, 0o640)), "3,7,9", b"1\r",
     DIALOGUE + texts.WARNING, ("target", MAP_WITH_9), {"wine": (DIALOGUE + texts.WARNING, ("file", MAP_WITH_9))}),
    # Creating the target would be following a link to make a file. Wine shows no such link at all,
    # and its rename replaces it.
    ("a link that leads nowhere", targeted(None), "", None, texts.FIRST_TIME + CANNOT_SAVE, None,
     {"wine": (texts.FIRST_TIME + texts.CREATED + texts.WARNING, ("file", EMPTY_MAP))}),
    ("a link to /dev/zero", targeted(None, "/dev/zero"), "3,7", None, texts.CANNOT_LOAD_XML, None, {}),
    ("1 GB, sparse", lambda path: write(path, b"", size=1 << 30), "3,7", None, texts.CANNOT_LOAD_XML, None, {}),
    ("a byte over the size limit", lambda path: write(path, padded(SIZE_LIMIT + 1)), "3,7", None,
     texts.CANNOT_LOAD_XML, None, {}),
    ("at the size limit", lambda path: write(path, padded(SIZE_LIMIT)), "3,7", None, texts.WARNING, None, {}),
    # With a new entry it would be over the limit: never saved, as the next load would refuse it.
    ("at the size limit, gaining an entry", lambda path: write(path, noted(SIZE_LIMIT)), "3,7,9", b"1\r",
     DIALOGUE + CANNOT_SAVE, None, {}),
    # Refused for root too, and for whoever may write the folder, whom a rename would let replace it.
    ("a read-only file", lambda path: write(path, MAP, 0o444), "3,7,9", b"1\r", DIALOGUE + CANNOT_SAVE, None, {}),
    ("a read-only folder", lambda path: lock_folder(os.path.dirname(path)), "", None,
     texts.FIRST_TIME + CANNOT_SAVE, None, {"bound": True}),
    ("a link whose target's folder is read-only", targeted(make_read_only_target_folder), "3,7,9", b"1\r",
     DIALOGUE + CANNOT_SAVE, None, {"bound": True, "wine": (DIALOGUE + texts.WARNING, ("file", MAP_WITH_9))}),
]

class MalformedFileTest(unittest.TestCase):
    def setUp(self):
        self.listener = Listener()
        self.addCleanup(self.listener.close)
        self.cases = []
        self.addCleanup(self.cleanup)

    def cleanup(self):
        for case in self.cases:
            if os.path.exists(case.ws.xml) and not os.path.isdir(case.ws.xml):
                os.chmod(case.ws.xml, 0o644)
            case.ws.cleanup()

    def run_all(self, cases):
        """Runs the cases side by side. Every workspace is made before any process starts, so no
        executable is still open for writing when another process is started."""
        self.cases.extend(cases)
        with concurrent.futures.ThreadPoolExecutor(PARALLEL) as pool:
            return list(pool.map(Case.run, cases))

    def assert_refused(self, case, message):
        with self.subTest(case.name):
            self.assertEqual(case.status, 0)
            self.assertEqual(case.out, message)
            calls = [c for _, c in case.trace]
            self.assertEqual(calls[-1], "CloseUSBCDLibrary = 0")
            self.assertEqual(trace_checks.selection_calls(case.trace), [])
            self.assertEqual(case.after, case.before, "the file was changed")
            self.assertEqual(case.leftovers, [])

    def test_files_that_cannot_be_loaded(self):
        cases = [Case(name, content) for name, content in corpus("cannot_load", self.listener.port)]
        cases += [Case(name, content) for name, content in GENERATED_CANNOT_LOAD]
        self.assertGreaterEqual(len(cases), 30)
        for case in self.run_all(cases):
            self.assert_refused(case, texts.CANNOT_LOAD_XML)
        self.assertEqual(self.listener.connections, 0)

    def test_files_whose_entries_cannot_be_read(self):
        cases = [Case(name, content) for name, content in corpus("wrong_format", self.listener.port)]
        cases += [Case(name, content) for name, content in GENERATED_WRONG_FORMAT]
        for case in self.run_all(cases):
            self.assert_refused(case, texts.WRONG_FORMAT)
        self.assertEqual(self.listener.connections, 0)

    def test_odd_but_valid_files_are_read(self):
        cases = [Case(name, content) for name, content in corpus("reads", self.listener.port)]
        for case in self.run_all(cases):
            with self.subTest(case.name):
                # Both attached devices are in the file: no dialogue, the run goes on.
                self.assertEqual(case.status, 0)
                self.assertEqual(case.out, texts.WARNING)
                self.assertEqual(case.trace[-1][1], "CloseUSBCDLibrary = 0")
                self.assertEqual(case.after, case.before)
                self.assertEqual(case.leftovers, [])
        self.assertEqual(self.listener.connections, 0)

    def test_padded_numbers_keep_their_value_and_the_bank_leads_to_its_device(self):
        # Device 3 gets bank -1; device 7, written with leading zeros, gets bank 1, written with more.
        with open(os.path.join(CORPUS, "reads", "negative_and_zero_padded_numbers.xml"), "rb") as f:
            content = f.read()
        case, = self.run_all([Case("numbers", content, args=["1"])])
        self.assertEqual(case.out, texts.WARNING + texts.disc_line(1, 1, 1))
        moves = [c for c in trace_checks.selection_calls(case.trace) if c[1] == "USBCDMoveto"]
        self.assertEqual(moves[-1][2:], ([7, 1], 0))
        self.assertEqual(case.after, case.before)

    def test_unreadable_file(self):
        def make(path):
            with open(path, "w") as f:
                f.write("<CDLibraryList>%s</CDLibraryList>" % ITEMS)
            os.chmod(path, 0)

        prefix = []
        if WINDOWS:
            # Wine opens files in its server, which keeps its own rights: a Windows process
            # that holds the file without sharing makes it unreadable instead.
            case = Case("held without sharing", make=make)
            holder = subprocess.Popen(windows_command(os.path.join(BUILD, "hold_file.exe"), case.ws.xml),
                                      stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                      env=case.ws.env("3,7"))
            try:
                self.assertEqual(holder.stdout.readline().strip(), b"held")
                case, = self.run_all([case])
            finally:
                holder.stdin.close()
                holder.wait(timeout=60)
                holder.stdout.close()
        else:
            if os.geteuid() == 0:
                # Root reads any file: run without the capabilities that let it.
                prefix = ["setpriv", "--bounding-set=-dac_override,-dac_read_search"]
            case, = self.run_all([Case("mode 000", make=make, prefix=prefix)])
        self.assert_refused(case, texts.CANNOT_LOAD_XML)


class FileKindTest(unittest.TestCase):
    def test_every_kind_of_file_is_loaded_saved_or_refused_and_left_as_it_was(self):
        cases = []
        self.addCleanup(lambda: [case.cleanup() for case in cases])
        skipped = []
        for name, make, devices, answer, out, saved, differs in FILE_KINDS:
            if WINDOWS and "wine" in differs:
                out, saved = differs["wine"]
            try:
                case = Case(name, make=make, devices=devices, answer=answer,
                            prefix=ROOT_BOUND if differs.get("bound") else [])
            except unittest.SkipTest as reason:
                skipped.append((name, str(reason)))
                continue
            case.expected = out, saved
            cases.append(case)
        self.assertEqual(len(cases) + len(skipped), 14)
        with concurrent.futures.ThreadPoolExecutor(PARALLEL) as pool:
            list(pool.map(Case.run, [case for case in cases if not (WINDOWS and case.answer)]))
        for case in cases:
            if WINDOWS and case.answer:
                case.run_in_terminal()
        for case in cases:
            with self.subTest(case.name):
                self.check(case)
        for name, reason in skipped:
            with self.subTest(name):
                self.skipTest(reason)

    def check(self, case):
        out, saved = case.expected
        self.assertEqual(case.status, 0)
        if case.out is not None:
            self.assertEqual(case.out, out)
        else:
            # On the screen the prompt's row is written over; what follows the dialogue is checked.
            self.assertTrue(out.startswith(DIALOGUE))
            expected = [line.rstrip() for line in texts.screen_lines(out[len(DIALOGUE):])][:-1]
            start = case.screen.index(texts.assigned(9, 1)) + 1
            self.assertEqual(case.screen[start:start + len(expected)], expected, "\n".join(case.screen))
        self.assertEqual(case.trace[-1][1], "CloseUSBCDLibrary = 0")
        self.assertEqual(case.leftovers, [])
        if saved is None:
            self.assertEqual(case.after, case.before, "changed")
            return
        where, pattern = saved
        if where == "target":
            self.assertEqual(case.after[0], case.before[0], "the link was changed")
            kind, mode, content = case.after[1]
            if not WINDOWS:
                self.assertEqual(mode, case.before[1][1], "the mode was not kept")
        else:
            self.assertEqual(case.after[1], case.before[1])
            kind, mode, content = case.after[0]
        self.assertEqual(kind, "file")
        self.assertRegex(content, pattern)


if __name__ == "__main__":
    unittest.main()
