"""Broken, hostile and odd Vadro.xml files, run through the real program: each ends with its own
message, the device library closed, exit status 0 and the file untouched; the odd but valid ones
are read. Nothing a file names is fetched."""
import concurrent.futures
import os
import shutil
import socket
import subprocess
import threading
import unittest

from harness import Workspace, WINDOWS, BUILD, windows_command
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
    """One file in a workspace of its own, run once."""

    def __init__(self, name, content=None, make=None, args=("189-186",), prefix=()):
        self.name = name
        self.args = list(args)
        self.prefix = list(prefix)
        self.ws = Workspace()
        if make is not None:
            make(self.ws.xml)
        else:
            with open(self.ws.xml, "wb") as f:
                f.write(content)
        self.before = snapshot(self.ws.xml)

    def run(self):
        env = self.ws.env("3,7")
        done = subprocess.run(self.prefix + self.ws.command(self.args), stdin=subprocess.DEVNULL,
                              capture_output=True, cwd=self.ws.dir, env=env, timeout=240)
        self.status, self.out = done.returncode, done.stdout
        self.trace = self.ws.trace_lines()
        self.after = snapshot(self.ws.xml)
        self.leftovers = sorted(set(os.listdir(self.ws.dir)) - {"Vadro.xml", "Vadro", "Vadro.exe", "USBCDDLL.dll",
                                                                 "calls.trace"})
        return self


def snapshot(path):
    """What is at the path: the bytes of a file, or a marker for a directory."""
    if os.path.isdir(path):
        return ("directory", sorted(os.listdir(path)))
    with open(path, "rb") as f:
        return f.read()


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
    ("200000 entries, then a comment",
     b"<CDLibraryList>" + b'<Item ID="3" Bank="1"/>\r\n' * 200000 + b"<!-- end --></CDLibraryList>"),
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
        cases.append(Case("a directory", make=make_directory))
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


if __name__ == "__main__":
    unittest.main()
