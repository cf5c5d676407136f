"""The 32-bit Vadro.exe with device libraries of both calling conventions: the simulator built as
__cdecl and as __stdcall functions with plain names (tests/fakes), each put beside the program as
USBCDDLL.dll. Each library measures how the program's device-change callback returns to it and
notes it in USBCD_FAKE_CALLBACK_LOG."""
import os
import shutil
import unittest

from harness import BUILD, E2ETest
import texts

THUNK = os.environ.get("VADRO_VENDOR_THUNK") == "ON"


@unittest.skipUnless(THUNK, "only the 32-bit Windows build learns the library's calling convention: "
                            "this build has one convention")
class ConventionTest(E2ETest):
    def first_use_a_change_and_a_selection(self, convention, removes):
        shutil.copy2(os.path.join(BUILD, "device", "usbcd_%s.dll" % convention),
                     os.path.join(self.ws.dir, "USBCDDLL.dll"))
        log = os.path.join(self.ws.dir, "callback.log")
        os.environ["USBCD_FAKE_CALLBACK_LOG"] = log
        self.addCleanup(os.environ.pop, "USBCD_FAKE_CALLBACK_LOG")
        # The devices report a change (the same two) while the first prompt is answered.
        term = self.terminal(["25", "186"], devices="3,7", plug="3000:3,7")
        term.wait_text(texts.PROMPT)
        self.wait_trace("USBCDLEDON 3 = 0")
        self.wait_trace("callback 2")
        term.type("1")
        term.keys("Enter")
        term.wait_text(texts.assigned(3, 1))
        self.wait_trace("USBCDLEDON 7 = 0")
        term.type("2")
        term.keys("Enter")
        term.wait_text(texts.assigned(7, 2))
        self.assertEqual(term.exit_status(timeout=120), 0, term.screen())
        screen = term.screen()
        self.assertIn("CD N25 (1:25) selecting: done. Waiting for 5 seconds: done.", screen)
        self.assertIn("CD N186 (2:36) selecting: done. Waiting for 5 seconds: done.", screen)
        with open(self.ws.xml) as f:
            self.assertRegex(f.read(), r'ID="3" Bank="1".*ID="7" Bank="2"')
        calls = [c for _, c in self.ws.trace_lines()]
        # The change was answered: the list was enumerated again after it.
        after = calls[calls.index("callback 2"):]
        self.assertEqual([c for c in after if c.startswith("EnumDevice")][:2], ["EnumDevice 0 = 3", "EnumDevice 1 = 7"])
        self.assertIn("USBCDMoveto 3 25 = 0", calls)
        self.assertIn("USBCDMoveto 7 36 = 0", calls)
        self.assertEqual(calls[-1], "CloseUSBCDLibrary = 0")
        with open(log) as f:
            self.assertEqual(f.read(), "callback 2 removed %d of %d\n" % (removes, removes))

    def test_cdecl_library(self):
        self.first_use_a_change_and_a_selection("cdecl", 0)

    def test_stdcall_library(self):
        self.first_use_a_change_and_a_selection("stdcall", 4)


if __name__ == "__main__":
    unittest.main()
