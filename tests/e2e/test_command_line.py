"""The command line as a user types it: usage text, refusals, exit status."""
import os
import resource
import shutil
import subprocess
import time
import unittest

from harness import BUILD, E2ETest, Workspace, WINDOWS
import texts


class CommandLineTest(E2ETest):
    def test_usage_text_for_missing_or_rejected_arguments(self):
        # Digit runs beyond 32 bits name no disc, wherever they would wrap to.
        beyond = (["4294967446"], ["4294967297-4294967298"], ["1-4294967297"], ["2147483648"],
                  ["123456789012345678901234567890"])
        for args in ([], ["25", "0", "7"], ["abc"], ["-5"], ["5-"]) + beyond:
            status, out, _ = self.ws.run(args)
            self.assertEqual(status, 0, args)
            self.assertEqual(out, texts.USAGE, args)
        # The library is never opened for a command line that is not accepted.
        self.assertEqual(self.ws.trace_lines(), [])

    def test_overlong_range_is_refused_at_once(self):
        started = time.time()
        status, out, _ = self.ws.run(["1-2147483647"])
        self.assertEqual(status, 0)
        self.assertEqual(out, texts.RANGE_TOO_LONG + texts.USAGE)
        self.assertLess(time.time() - started, 20)

    @unittest.skipIf(WINDOWS, "Wine does not start within an address space limit, and a Windows command "
                              "line is too short to name the discs that would fill 2 GB")
    def test_running_out_of_memory_prints_one_line_and_exits_with_1(self):
        def run(args):
            limit = 64 << 20
            return subprocess.run(self.ws.command(args), stdin=subprocess.DEVNULL, capture_output=True,
                                  cwd=self.ws.dir, env=self.ws.env(), timeout=120,
                                  preexec_fn=lambda: resource.setrlimit(resource.RLIMIT_AS, (limit, limit)))

        # 3.8 million discs need more than the 64 MB in which the program otherwise runs.
        done = run(["1-19050"] * 200)
        self.assertEqual((done.returncode, done.stdout, done.stderr), (1, b"", texts.OUT_OF_MEMORY))
        self.assertEqual(self.ws.trace_lines(), [])
        done = run(["1-19050"])
        self.assertEqual((done.returncode, done.stderr), (0, b""))
        self.assertTrue(done.stdout.startswith(texts.FIRST_TIME), done.stdout)

    @unittest.skipUnless(WINDOWS, "the library is loaded at run time only on Windows")
    def test_missing_device_library(self):
        self.ws = Workspace(with_library=False)
        self.addCleanup(self.ws.cleanup)
        not_found = texts.CANNOT_LOAD_LIBRARY + texts.LIBRARY_NOT_FOUND
        status, out, _ = self.ws.run(["25"])
        self.assertEqual(status, 0)
        self.assertEqual(out, not_found)
        status, out, _ = self.ws.run([])
        self.assertEqual(out, texts.USAGE)
        # A USBCDDLL.dll in the folder the program is run from, not beside it, is not loaded.
        elsewhere = os.path.join(self.ws.dir, "elsewhere")
        os.mkdir(elsewhere)
        shutil.copy2(os.path.join(BUILD, "USBCDDLL.dll"), elsewhere)
        done = subprocess.run(self.ws.command(["25"]), stdin=subprocess.DEVNULL, capture_output=True, cwd=elsewhere,
                              env=self.ws.env(), timeout=180)
        self.assertEqual((done.returncode, done.stdout), (0, not_found))
        self.assertEqual(self.ws.trace_lines(), [])
        # A library of the other width (64-bit beside a 32-bit exe, or the reverse) is not loaded.
        build = os.path.normpath(BUILD)
        other = os.path.join(os.path.dirname(build), "windows" if build.endswith("64") else "windows64")
        if not os.path.exists(os.path.join(other, "USBCDDLL.dll")):
            self.skipTest("no build in %s to take a library of the other width from" % other)
        shutil.copy2(os.path.join(other, "USBCDDLL.dll"), self.ws.dir)
        status, out, _ = self.ws.run(["25"])
        bits = 64 if build.endswith("64") else 32
        self.assertEqual((status, out), (0, texts.CANNOT_LOAD_LIBRARY + texts.library_of_wrong_kind(bits)))


if __name__ == "__main__":
    unittest.main()
