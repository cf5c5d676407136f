"""The program in a real terminal: the first-use dialogue, a device added later, a terminal whose
rows the prompt fills exactly, Ctrl + Z with and without a shell that can stop the program, and a
device that never answers, ended with Ctrl + C. Then the dialogue with its keys from a pipe: input
that ends during it, and the system calls of the save that follows it."""
import os
import re
import shutil
import subprocess
import time
import unittest
import xml.etree.ElementTree as ElementTree

from harness import E2ETest, WINDOWS
import texts
import trace_checks


ITEMS_WITH_TEXT = (b'<?xml version="1.0" encoding="UTF-8"?>\r\n'
                   b'<!DOCTYPE CDLibraryList [<!ENTITY co "Co &amp; Sons">]>\r\n'
                   b'<CDLibraryList>\r\n'
                   b'  <Item ID="3" Bank="1" Note="&co; &lt;1&gt; &#x41;">a &amp; b &lt; c &#233;&#x42; &co;!'
                   b'<![CDATA[x<y & z]]></Item>\r\n'
                   b'  <Item ID="7" Bank="5">&amp;amp; stays &amp;amp;</Item>\r\n'
                   b'</CDLibraryList>\r\n')
ITEM_TEXTS = [("a & b < c \u00e9B Co & Sons!x<y & z", "Co & Sons <1> A"), ("&amp; stays &amp;", None)]


def item_texts(document):
    """The text and the Note of each Item, with every reference resolved."""
    return [("".join(item.itertext()), item.get("Note")) for item in ElementTree.fromstring(document)]


def rows(screen):
    return [line.rstrip() for line in screen.split("\n")]


def wrapped(text, width):
    """`text` as the rows of a terminal `width` columns wide."""
    return [text[i:i + width] for i in range(0, len(text), width)]


class TerminalTest(E2ETest):
    def answer_prompt(self, term, number, device):
        """Waits until the device blinks with the prompt shown, then types its bank number."""
        term.wait_for(lambda s: rows(s) and any(r.endswith(texts.PROMPT.rstrip()) for r in rows(s)),
                      what="the prompt")
        self.wait_trace("USBCDLEDON %d = 0" % device)
        term.type(str(number))
        term.keys("Enter")
        term.wait_text(texts.assigned(device, number))


    def test_first_use_then_selection_across_two_banks(self):
        # A reset that takes a while would show a flasher started before it.
        term = self.terminal(["25", "186"], reset_ms=300)
        term.wait_text("The number must be from 1 to 127.")
        self.answer_prompt(term, 1, 3)
        self.answer_prompt(term, 2, 7)
        term.wait_for(lambda s: re.search(r"CD N25 \(1:25\) selecting: done\. Waiting for 5 seconds: [1-5]", s),
                      timeout=60, what="the countdown behind its announcement")
        screen = term.wait_text("CD N186 (2:36) selecting: done. Waiting for 5 seconds: done.", timeout=90)
        self.assertEqual(term.exit_status(), 0)
        lines = rows(term.screen())
        expected = texts.screen_lines(texts.FIRST_TIME)[1:-1] + [
            texts.assigned(3, 1), texts.assigned(7, 2)] + texts.screen_lines(
                texts.CREATED + texts.WARNING + texts.disc_line(25, 1, 25) + texts.disc_line(186, 2, 36))[:-1]
        expected = [line.rstrip() for line in expected]
        start = lines.index(expected[0])
        self.assertEqual(lines[start:start + len(expected)], expected)
        # No countdown digit and no spinner character stays behind on any finished line.
        for line in lines[start:start + len(expected)]:
            self.assertNotRegex(line, r"(done\.|: )[0-9|/\\-]")
        with open(self.ws.xml, "rb") as f:
            saved = f.read()
        self.assertRegex(saved, rb'<Item ID="3" Bank="1"\s*/>\s*<Item ID="7" Bank="2"\s*/>')
        # Each device is reset, then blinks, and is switched off before the next one is reset.
        self.assertRegex(trace_checks.dialogue(self.ws.trace_lines()), r"^R3( N3 F3)+ R7( N7 F7)+$")

        # A second run asks nothing.
        second = self.terminal(["1"])
        second.wait_text("CD N1 (1:1) selecting: done. Waiting for 5 seconds: done.", timeout=60)
        self.assertNotIn(texts.PROMPT.strip(), second.screen())

    def test_newly_attached_devices_are_asked_for_and_the_items_keep_their_text(self):
        # Item texts with references of every kind: a new-device pass saves them with the meaning
        # they were loaded with, and a second pass keeps every byte of the first save.
        with open(self.ws.xml, "wb") as f:
            f.write(ITEMS_WITH_TEXT)
        term = self.terminal(["151"], devices="3,9")
        term.wait_text(texts.NEW_DEVICE)
        with open(self.ws.xml, "rb") as f:
            self.assertEqual(f.read(), ITEMS_WITH_TEXT)
        self.answer_prompt(term, 2, 9)
        term.wait_text("CD N151 (2:1) selecting: done. Waiting for 5 seconds: done.", timeout=60)
        self.assertEqual(term.exit_status(), 0)
        with open(self.ws.xml, "rb") as f:
            first = f.read()
        self.assertRegex(first, rb'ID="3" Bank="1".*ID="7" Bank="5".*ID="9" Bank="2"')
        self.assertEqual(item_texts(first), ITEM_TEXTS + [("", None)])

        os.remove(term.status_file)
        term = self.terminal(["189-186"], devices="3,9,11")
        self.answer_prompt(term, 4, 11)
        self.assertEqual(term.exit_status(), 0)
        with open(self.ws.xml, "rb") as f:
            second = f.read()
        self.assertEqual(second, first.replace(b"</CDLibraryList>", b'<Item ID="11" Bank="4"/></CDLibraryList>'))

    def test_wrong_number_shows_the_warning_until_a_key(self):
        self.ws.write_xml([])
        term = self.terminal(["189-186"], devices="4")
        term.wait_text(texts.NEW_DEVICE)
        term.wait_text(texts.PROMPT.strip())
        term.type("128")
        term.keys("Enter")
        term.wait_text("Please, enter a valid number from 1 to 127.")
        term.type("x")
        term.wait_for(lambda s: "Please, enter" not in s, timeout=5, what="the warning to go")
        term.type("5")
        term.keys("Enter")
        term.wait_text(texts.assigned(4, 5))
        self.assertEqual(term.exit_status(timeout=60), 0)

    def test_at_36_columns_the_warning_goes_and_each_confirmation_is_whole(self):
        if WINDOWS:
            self.skipTest("the Windows console wraps at once at a row's end; Wine draws into the terminal "
                          "with messages of its own between the rows")
        term = self.terminal(["189-186"], width=36)  # the prompt fills a row exactly
        term.wait_text("The number must be from 1 to 127.")
        self.wait_trace("USBCDLEDON 3 = 0")
        term.type("128")
        term.keys("Enter")
        term.wait_text("Please, enter a valid number from 1")
        term.wait_for(lambda s: "Please, enter" not in s, timeout=5, what="the warning to go")
        term.type("5")
        term.keys("Enter")
        self.wait_trace("USBCDLEDON 7 = 0")
        term.type("2")
        term.keys("Enter")
        self.assertEqual(term.exit_status(timeout=60), 0)
        prompt = texts.PROMPT.rstrip()
        expected = [prompt] + wrapped(texts.assigned(3, 5), 36) + [prompt] + wrapped(texts.assigned(7, 2), 36)
        lines = rows(term.screen())
        start = lines.index(prompt)
        self.assertEqual(lines[start:start + len(expected)], expected)

    def ctrl_z_during_the_entry(self, shell):
        """Types 1, Ctrl + Z (and fg with a shell), then a letter and 2: the entry goes on in its own
        mode, the letter ignored and unechoed, and takes 12."""
        self.ws.write_xml([])
        term = self.terminal(["189-186"], devices="4", shell=shell)
        term.wait_text(texts.NEW_DEVICE)
        self.wait_trace("USBCDLEDON 4 = 0")
        term.type("1")
        term.wait_for(lambda s: texts.PROMPT + "1" in s, timeout=10, what="the first digit")
        term.keys("C-z")
        if shell:
            term.wait_text("Stopped")
            term.type("fg")
            term.keys("Enter")
            term.wait_for(lambda s: rows(s)[-1] == "" and "fg" in s, what="the program going on")
            time.sleep(1)
        term.type("x2")
        return term

    def test_ctrl_z_where_nothing_can_stop_the_program(self):
        if WINDOWS:
            self.skipTest("Ctrl + Z stops processes on POSIX terminals")
        term = self.ctrl_z_during_the_entry(shell=False)
        term.wait_for(lambda s: texts.PROMPT + "12" in rows(s), timeout=10, what="12 taken without Enter")
        term.keys("Enter")
        screen = term.wait_text(texts.assigned(4, 12))
        self.assertEqual(term.exit_status(timeout=60), 0)
        # The confirmation replaced the prompt in its row; no cursor report was echoed.
        lines = rows(screen)
        self.assertEqual(lines[lines.index(texts.NEW_DEVICE) + 1], texts.assigned(4, 12))
        self.assertNotIn("^[", screen)
        before, after = term.terminal_settings()
        self.assertEqual(before, after)

    def test_ctrl_z_and_fg_in_an_interactive_shell(self):
        if WINDOWS:
            self.skipTest("Ctrl + Z stops processes on POSIX terminals")
        term = self.ctrl_z_during_the_entry(shell=True)
        # The digit typed before the stop shows again where the entry goes on.
        term.wait_for(lambda s: "12" in rows(s), timeout=10, what="the entry going on after fg")
        term.keys("Enter")
        screen = term.wait_text(texts.assigned(4, 12))
        self.assertEqual(term.exit_status(timeout=60), 0)
        self.assertNotIn("^[", screen)
        before, after = term.terminal_settings()
        self.assertEqual(before, after)

    def test_device_that_never_answers_is_ended_with_ctrl_c(self):
        self.ws.write_xml([(3, 1)])
        term = self.terminal(["7"], devices="3", hang="status")
        term.wait_text("CD N7 (1:7) selecting: ", timeout=60)
        time.sleep(1)
        term.keys("C-c")
        status = term.exit_status(timeout=30)
        if not WINDOWS:
            self.assertEqual(status, 130)  # ended by SIGINT's default action
        before, after = term.terminal_settings()
        self.assertEqual(before, after)


class PipedDialogueTest(E2ETest):
    def test_input_ending_during_the_dialogue_leaves_the_indicator_off(self):
        process = subprocess.Popen(self.ws.command(["25"]), stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                   stderr=subprocess.DEVNULL, cwd=self.ws.dir, env=self.ws.env("3"))
        self.addCleanup(lambda: process.poll() is None and process.kill())
        # Wine's console input reads nothing from a pipe: there input has ended from the start.
        if not WINDOWS:
            self.wait_trace("USBCDLEDON 3 = 0")
        # Closes the input; a flasher killed inside a device call may leave the program hanging.
        out, _ = process.communicate(timeout=60)
        self.assertEqual(process.returncode, 0)
        self.assertEqual(out, texts.FIRST_TIME + texts.PROMPT.encode() + texts.INPUT_ENDED)
        self.assertFalse(os.path.exists(self.ws.xml))
        # The flasher was stopped between two device calls, not ended inside its blink.
        self.assertRegex(trace_checks.dialogue(self.ws.trace_lines()), r"^R3( N3 F3)%s$" % ("*" if WINDOWS else "+"))

    def test_save_reaches_the_disk_before_it_replaces_the_file(self):
        if WINDOWS:
            self.skipTest("the system calls of a save are traced in the Linux build")
        if shutil.which("strace") is None:
            self.skipTest("strace (Debian package strace) is not installed")
        probe = subprocess.run(["strace", "-o", os.devnull, "true"], capture_output=True, text=True)
        if probe.returncode != 0:
            self.skipTest("strace cannot trace here: " + probe.stderr.strip())
        # Only the main thread is traced: it saves, and no other thread's calls split its lines.
        log = os.path.join(self.ws.dir, "save.strace")
        traced = "trace=write,pwrite64,writev,fsync,fdatasync,rename,renameat,renameat2"
        done = subprocess.run(["strace", "-y", "-o", log, "-e", traced] + self.ws.command(["189-186"]),
                              input=b"1\r", capture_output=True, cwd=self.ws.dir, env=self.ws.env("3"), timeout=120)
        self.assertEqual(done.returncode, 0)
        self.assertTrue(done.stdout.endswith(texts.CREATED + texts.WARNING), done.stdout)
        with open(log) as f:
            events = re.findall(r"^(\w+)\((.*)\) += (-?\d+)", f.read(), re.M)
        # The new content goes to a file of its own, which reaches the disk before it takes the
        # name Vadro.xml; then the folder does, so that the new name survives a power loss.
        folder = os.path.realpath(self.ws.dir)  # as the system names open files
        renames = [re.findall(r'"([^"]*)"', args) for name, args, _ in events if name.startswith("rename")]
        self.assertEqual([paths[-1] for paths in renames], [os.path.join(folder, "Vadro.xml")], events)
        new_file = renames[0][0]
        steps = []
        for name, args, result in events:
            if name in ("write", "pwrite64", "writev") and "<%s>" % new_file in args:
                step = "write the new file"
            elif name in ("fsync", "fdatasync") and "<%s>" % new_file in args and result == "0":
                step = "flush the new file"
            elif name.startswith("rename") and result == "0":
                step = "rename"
            elif name == "fsync" and "<%s>" % folder in args and result == "0":
                step = "flush the folder"
            else:
                continue
            if steps[-1:] != [step]:
                steps.append(step)
        self.assertEqual(steps, ["write the new file", "flush the new file", "rename", "flush the folder"])


if __name__ == "__main__":
    unittest.main()
