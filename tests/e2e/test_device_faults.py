"""Devices that misbehave, from end to end with the simulator: moves refused for a while, a device
unplugged during a move (for a moment, and for good), a device plugged in while the user answers
a prompt, and devices that never answer a move or a disc-down request. The run behaves as the
program's warning says (it waits, polling every 50 ms, until the device answers or the user ends
it), and Vadro.xml only ever gains what the user typed."""
import os
import signal
import subprocess
import time
import unittest

from harness import E2ETest, WINDOWS
import texts
import trace_checks

STARTED = texts.WARNING + b"CD N151 (2:1) selecting: "


class DeviceFaultTest(E2ETest):
    def setUp(self):
        super().setUp()
        self.ws.write_xml([(3, 1), (7, 2)])
        with open(self.ws.xml, "rb") as f:
            self.saved = f.read()

    def assert_file_untouched(self):
        with open(self.ws.xml, "rb") as f:
            self.assertEqual(f.read(), self.saved)
        self.assertEqual(sorted(os.listdir(self.ws.dir)), sorted(["Vadro.xml", "calls.trace", os.path.basename(
            self.ws.command([])[-1])] + (["USBCDDLL.dll"] if WINDOWS else [])))

    def assert_spaced(self, times):
        trace_checks.assert_polled_every_50_ms(self, times)

    def start(self, args, **sim):
        process = subprocess.Popen(self.ws.command(args), stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                   stderr=subprocess.DEVNULL, cwd=self.ws.dir, env=self.ws.env("3,7", **sim))
        self.addCleanup(lambda: process.poll() is None and process.kill())
        self.addCleanup(process.stdout.close)
        return process

    def wait_for_polls(self, name, result, count, timeout=60):
        """Waits until the trace holds `count` calls of `name` answering `result`; returns them."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            calls = [c for c in trace_checks.selection_calls(self.ws.trace_lines())
                     if c[1] == name and c[3] == result]
            if len(calls) >= count:
                return calls
            time.sleep(0.1)
        self.fail("fewer than %d %s = %d in the trace:\n%s" % (count, name, result, self.ws.trace_lines()[-20:]))

    def kill(self, process):
        """Ends the program from outside, as a user would who gives up on the device."""
        process.send_signal(signal.SIGKILL)
        out = process.stdout.read()
        process.wait(timeout=30)
        return out

    def test_refused_moves_are_sent_again_until_one_is_taken(self):
        status, out, _ = self.ws.run(["151"], refuse_moves=12)
        self.assertEqual((status, out), (0, texts.WARNING + texts.disc_line(151, 2, 1)))
        groups = trace_checks.phases(trace_checks.selection_calls(self.ws.trace_lines()))
        self.assertEqual([g[0] for g in groups], ["USBCDGetStatus", "USBCDMoveto", "USBCDGetStatus", "USBCDGetCDDown"])
        moves = groups[1][2]
        self.assertEqual([r for _, r in moves], [2] * 12 + [0])
        self.assert_spaced([ms for ms, _ in moves])
        self.assert_file_untouched()

    def test_device_unplugged_during_a_move_is_waited_for_until_it_is_back(self):
        # The move of device 7 starts about 5 s in and lasts 1.5 s; the device is away meanwhile.
        status, out, _ = self.ws.run(["151"], move_ms=1500, plug="5500:3;6500:3,7")
        self.assertEqual((status, out), (0, texts.WARNING + texts.disc_line(151, 2, 1)))
        lines = self.ws.trace_lines()
        calls = [c for _, c in lines]
        self.assertIn("callback 1", calls)
        self.assertIn("callback 2", calls)
        polls = trace_checks.selection_calls(lines)
        away = [c for c in polls if c[3] == -1]
        self.assertTrue(away, "no poll while the device was away")
        self.assertTrue(all(c[1] == "USBCDGetStatus" and c[2] == [7] for c in away))
        # The polls go on every 50 ms through the absence, and the disc is then selected as usual.
        second_wait = trace_checks.phases(polls)[2]
        self.assert_spaced([ms for ms, _ in second_wait[2]])
        self.assertEqual(second_wait[2][-1][1], 0)
        self.assertEqual(calls[-1], "CloseUSBCDLibrary = 0")
        self.assert_file_untouched()

    def test_device_unplugged_for_good_keeps_the_run_waiting_until_it_is_ended(self):
        process = self.start(["151"], move_ms=1500, plug="5500:3")
        away = self.wait_for_polls("USBCDGetStatus", -1, 20)
        out = self.kill(process)
        self.assertEqual(out, STARTED)
        self.assert_spaced([c[0] for c in away])
        self.assertNotIn("CloseUSBCDLibrary = 0", [c for _, c in self.ws.trace_lines()])
        self.assert_file_untouched()

    def test_device_that_never_answers_keeps_polling_until_it_is_ended(self):
        # The move is refused for ever; the disc-down report never comes (after the countdown).
        for hang, name, result in (("move", "USBCDMoveto", 2), ("cddown", "USBCDGetCDDown", 1)):
            with self.subTest(hang):
                os.remove(self.ws.trace) if os.path.exists(self.ws.trace) else None
                process = self.start(["151"], hang=hang)
                polls = self.wait_for_polls(name, result, 20)
                out = self.kill(process)
                expected = STARTED + (b"done. Waiting for 5 seconds: done.\r\n" if hang == "cddown" else b"")
                self.assertEqual(out, expected)
                self.assert_spaced([c[0] for c in polls])
                self.assertTrue(all(c[2][0] == 7 for c in polls))
                self.assert_file_untouched()


class PluggedDuringDialogueTest(E2ETest):
    def test_device_plugged_in_during_the_dialogue_is_asked_for_in_the_next_pass(self):
        self.ws.write_xml([(3, 1)])
        # Device 9 is new; device 12 arrives while the prompt for 9 is on the screen.
        term = self.terminal(["189-186"], devices="3,9", plug="3000:3,9,12")
        term.wait_text(texts.NEW_DEVICE)
        self.wait_trace("USBCDLEDON 9 = 0")
        self.wait_trace("callback 3")
        with open(self.ws.xml) as f:
            self.assertNotIn('ID="12"', f.read())
        term.type("2")
        term.keys("Enter")
        term.wait_text(texts.assigned(9, 2))
        # The file is saved and read again; device 12 is not in it, so it is asked for, alone.
        self.wait_trace("USBCDLEDON 12 = 0")
        term.wait_for(lambda s: s.count(texts.NEW_DEVICE) == 2, what="the second new-device text")
        term.type("3")
        term.keys("Enter")
        term.wait_text(texts.assigned(12, 3))
        term.wait_text("Initial waiting: done.", timeout=60)
        self.assertEqual(term.exit_status(timeout=60), 0)
        self.assertNotIn(texts.NEW_DEVICES, term.screen())
        with open(self.ws.xml) as f:
            saved = f.read()
        self.assertRegex(saved, r'^<CDLibraryList>\s*<Item ID="3" Bank="1"\s*/>\s*<Item ID="9" Bank="2"\s*/>\s*'
                                r'<Item ID="12" Bank="3"\s*/>\s*</CDLibraryList>\s*$')
        calls = [c for _, c in self.ws.trace_lines()]
        self.assertLess(calls.index("USBCDLEDON 9 = 0"), calls.index("callback 3"))
        self.assertLess(calls.index("callback 3"), calls.index("USBCDLEDON 12 = 0"))


if __name__ == "__main__":
    unittest.main()
