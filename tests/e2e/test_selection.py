"""Disc selection from end to end: the screens a person sees, the bytes on a redirected stdout and
the order and timing of the device calls in the simulator's trace."""
import os
import subprocess
import unittest

from harness import E2ETest, WINDOWS
import texts
import trace_checks
from trace_checks import SLACK_MS


def poll_times(groups):
    return [[ms for ms, _ in group[2]] for group in groups]


class SelectionTest(E2ETest):
    def assert_disc_sequence(self, groups, device, slot):
        """One disc: status until 0, move until 0, status until 0, disc-down until 0."""
        names = [(g[0], g[1]) for g in groups]
        self.assertEqual(names, [("USBCDGetStatus", [device]), ("USBCDMoveto", [device, slot]),
                                 ("USBCDGetStatus", [device]), ("USBCDGetCDDown", [device])])
        for group in groups:
            self.assertEqual(group[2][-1][1], 0, group)
        status_ready = groups[2][2][-1][0]
        first_down = groups[3][2][0][0]
        self.assertGreaterEqual(first_down - status_ready, 5000)
        self.assertLess(first_down - status_ready, 5000 + SLACK_MS)

    def test_redirected_run_across_two_banks(self):
        self.ws.write_xml([(3, 1), (7, 2)])
        status, out, _ = self.ws.run(["25", "186"])
        self.assertEqual(status, 0)
        self.assertEqual(out, texts.WARNING + texts.disc_line(25, 1, 25) + texts.disc_line(186, 2, 36))

        lines = self.ws.trace_lines()
        calls = [c for _, c in lines]
        self.assertEqual(calls[:5], ["InitUSBCDLibrary = 0", "GetDeviceNumber = 2", "EnumDevice 0 = 3",
                                     "EnumDevice 1 = 7", "SetCDCallbackProc = 0"])
        self.assertEqual(calls[-1], "CloseUSBCDLibrary = 0")
        groups = trace_checks.phases(trace_checks.selection_calls(lines))
        self.assertEqual(len(groups), 8)
        self.assert_disc_sequence(groups[:4], 3, 25)
        self.assert_disc_sequence(groups[4:], 7, 36)
        trace_checks.assert_polled_every_50_ms(self, *poll_times(groups))
        # Five seconds of initial countdown, three seconds after each disc-down report, the last
        # one's before the library is closed.
        initial = groups[0][2][0][0] - lines[4][0]
        self.assertTrue(5000 <= initial < 5000 + SLACK_MS, initial)
        for pause in (groups[4][2][0][0] - groups[3][2][-1][0], lines[-1][0] - groups[7][2][-1][0]):
            self.assertTrue(3000 <= pause < 3000 + SLACK_MS, pause)

    def test_refused_moves_are_sent_again(self):
        self.ws.write_xml([(3, 1)])
        status, out, _ = self.ws.run(["2"], devices="3", refuse_moves=3)
        self.assertEqual(out, texts.WARNING + texts.disc_line(2, 1, 2))
        groups = trace_checks.phases(trace_checks.selection_calls(self.ws.trace_lines()))
        move = groups[1]
        self.assertEqual(move[0], "USBCDMoveto")
        self.assertEqual([result for _, result in move[2]][-1], 0)
        self.assertEqual(len(move[2]), 4)
        trace_checks.assert_polled_every_50_ms(self, *poll_times([move]))

    def test_disc_in_an_unassigned_bank_is_reported_and_skipped(self):
        self.ws.write_xml([(3, 1)])
        status, out, _ = self.ws.run(["151", "1"], devices="3")
        self.assertEqual(status, 0)
        self.assertEqual(out, texts.WARNING + b"CD N151 (2:1) selecting: no device is assigned to bank 2.\r\n"
                         + texts.disc_line(1, 1, 1))
        calls = trace_checks.selection_calls(self.ws.trace_lines())
        self.assertTrue(all(args[0] == 3 for _, _, args, _ in calls))

    def test_empty_range_runs_the_preamble_only(self):
        self.ws.write_xml([(3, 1), (7, 2)])
        status, out, _ = self.ws.run(["189-186"])
        self.assertEqual(status, 0)
        self.assertEqual(out, texts.WARNING)
        self.assertEqual(trace_checks.selection_calls(self.ws.trace_lines()), [])
        self.assertEqual(self.ws.trace_lines()[-1][1], "CloseUSBCDLibrary = 0")

        # Output piped into a reader that stops after 40 bytes (| head -c 40): the writes after
        # that fail quietly, and the run still ends in order.
        os.remove(self.ws.trace)
        process = subprocess.Popen(self.ws.command(["189-186"]), stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                   stderr=subprocess.DEVNULL, cwd=self.ws.dir, env=self.ws.env())
        self.assertEqual(process.stdout.read(40), texts.WARNING[:40])
        process.stdout.close()
        self.assertEqual(process.wait(timeout=60), 0)
        self.assertEqual(self.ws.trace_lines()[-1][1], "CloseUSBCDLibrary = 0")

    @unittest.skipIf(WINDOWS, "the Windows build reads bank numbers from the console, never from a pipe")
    def test_first_use_with_bank_numbers_piped_in_with_windows_line_ends(self):
        # CR LF is one Enter: an empty second one would bring up the warning, which takes the next key.
        status, out, _ = self.ws.run(["189-186"], stdin=b"1\r\n2\r\n")
        self.assertEqual(status, 0)
        dialogue = "".join(texts.PROMPT + texts.assigned(device, bank) + "\r\n" for device, bank in ((3, 1), (7, 2)))
        self.assertEqual(out, texts.FIRST_TIME + dialogue.encode() + texts.CREATED + texts.WARNING)
        with open(self.ws.xml) as f:
            self.assertRegex(f.read(), r'ID="3" Bank="1".*ID="7" Bank="2"')

    def test_bank_map_that_cannot_be_used_ends_the_run_with_its_message(self):
        # The last row: the program in a folder whose path (over 270 bytes) does not come whole. Cut, it
        # names the folder above, where another installation's bank map lies: that one is neither read
        # nor changed, and no Vadro.xml is made anywhere.
        deep = os.path.join(self.ws.dir, "f" * 90, "g" * 200)
        self.ws.copy_program(deep)
        listed = b'<CDLibraryList><Item ID="3" Bank="1"/><Item ID="7" Bank="2"/></CDLibraryList>'
        for folder, xml, content, message in (
                (None, self.ws.xml, b"<CDLibraryList><Item ID=", texts.CANNOT_LOAD_XML),
                (None, self.ws.xml, b"<CDLibraryList><!-- x --></CDLibraryList>", texts.WRONG_FORMAT),
                (deep, os.path.join(os.path.dirname(deep), "Vadro.xml"), listed, texts.CANNOT_CHECK_XML)):
            with open(xml, "wb") as f:
                f.write(content)
            status, out, _ = self.ws.run(["25"], folder=folder)
            self.assertEqual(status, 0)
            self.assertEqual(out, message)
            lines = self.ws.trace_lines()
            self.assertEqual(lines[-1][1], "CloseUSBCDLibrary = 0")
            self.assertEqual(trace_checks.selection_calls(lines), [])
            with open(xml, "rb") as f:
                self.assertEqual(f.read(), content)
            os.remove(xml)
        self.assertEqual([name for _, _, names in os.walk(self.ws.dir) for name in names if name == "Vadro.xml"], [])


if __name__ == "__main__":
    unittest.main()
