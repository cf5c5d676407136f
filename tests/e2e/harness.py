"""Drives the real Vadro executables for the end-to-end tests.

Each test copies the executable (and, for the Windows build, the simulator's USBCDDLL.dll) into
a fresh folder, so that Vadro.xml is made there, and runs it either with stdout redirected or in
a tmux pane, where keys are typed and the screen is read as a person would see it.
"""
import itertools
import os
import shutil
import subprocess
import tempfile
import time
import unittest

BUILD = os.environ.get("VADRO_BUILD_DIR", "")
FLAVOUR = os.environ.get("VADRO_FLAVOUR", "native")  # "native" or "windows"
WINDOWS = FLAVOUR == "windows"
EXE_NAME = "Vadro.exe" if WINDOWS else "Vadro"
# What runs a Windows executable of the build under test: the build's emulator script, which picks
# the Wine loader that fits the executable.
WINE_RUN = os.environ.get("VADRO_WINE_RUN") or os.path.join(
    os.path.dirname(os.path.abspath(__file__)), "..", "..", "cmake", "wine-run.sh")


def windows_command(exe, *args):
    """The command that runs the Windows executable `exe` of the build under test."""
    return [WINE_RUN, exe] + list(args)

# Short simulated moves keep each run close to the fixed waits of the program itself.
FAST_DEVICE = {"USBCD_SIM_MOVE_MS": "300", "USBCD_SIM_CDDOWN_MS": "200"}


class Workspace:
    """A fresh folder holding a copy of the program, plus the simulator's trace file."""

    def __init__(self, with_library=True):
        self.dir = tempfile.mkdtemp(prefix="vadro-e2e-")
        shutil.copy2(os.path.join(BUILD, EXE_NAME), self.dir)
        if WINDOWS and with_library:
            shutil.copy2(os.path.join(BUILD, "USBCDDLL.dll"), self.dir)
        self.trace = os.path.join(self.dir, "calls.trace")
        self.xml = os.path.join(self.dir, "Vadro.xml")

    def command(self, args, folder=None):
        """The command that runs the program in this workspace, or its copy in `folder`."""
        exe = os.path.join(folder or self.dir, EXE_NAME)
        return windows_command(exe, *args) if WINDOWS else [exe] + list(args)

    def copy_program(self, folder):
        """Copies the program (with its library) into `folder`, which it makes."""
        os.makedirs(folder)
        for name in (EXE_NAME, "USBCDDLL.dll"):
            if os.path.exists(os.path.join(self.dir, name)):
                shutil.copy2(os.path.join(self.dir, name), folder)

    def env(self, devices="3,7", **sim):
        env = dict(os.environ)
        env.update(FAST_DEVICE)
        env["USBCD_SIM_DEVICES"] = devices
        env["USBCD_SIM_TRACE"] = self.trace
        env.setdefault("WINEDEBUG", "-all")
        for key, value in sim.items():
            env["USBCD_SIM_" + key.upper()] = str(value)
        return env

    def run(self, args, devices="3,7", stdin=b"", timeout=180, folder=None, **sim):
        """Runs with stdout and stderr redirected, from the workspace's folder, the program there or
        its copy in `folder`; returns (exit status, stdout bytes, stderr bytes)."""
        done = subprocess.run(self.command(args, folder), input=stdin, capture_output=True, cwd=self.dir,
                              env=self.env(devices, **sim), timeout=timeout)
        return done.returncode, done.stdout, done.stderr

    def write_xml(self, items, root="CDLibraryList"):
        body = "".join('<Item ID="%d" Bank="%d"/>' % item for item in items)
        with open(self.xml, "w") as f:
            f.write("<%s>%s</%s>" % (root, body, root))

    def trace_lines(self):
        """The simulator's trace as (milliseconds, call text) pairs."""
        if not os.path.exists(self.trace):
            return []
        result = []
        with open(self.trace) as f:
            for line in f:
                ms, _, call = line.rstrip("\n").partition(" ")
                result.append((int(ms), call))
        return result

    def cleanup(self):
        shutil.rmtree(self.dir, ignore_errors=True)


class Terminal:
    """A tmux pane of its own server, `width` columns by 40 rows, running one command: as the pane's
    own command (no job control: nothing can stop it), or typed into an interactive shell."""

    # A server that is being killed still answers on its socket and then drops a new client
    # ("server exited unexpectedly"), so no socket is ever used twice.
    numbers = itertools.count()

    def __init__(self, workspace, args, devices="3,7", width=100, shell=False, **sim):
        self.socket = os.path.join(workspace.dir, "tmux-%d.socket" % next(Terminal.numbers))
        self.workspace = workspace
        env = workspace.env(devices, **sim)
        exports = " ".join("%s=%s" % (k, shell_quote(v)) for k, v in env.items()
                           if k.startswith("USBCD_") or k == "WINEDEBUG")
        self.status_file = os.path.join(workspace.dir, "exit.status")
        self.stty_before = os.path.join(workspace.dir, "stty.before")
        self.stty_after = os.path.join(workspace.dir, "stty.after")
        program = " ".join(shell_quote(a) for a in workspace.command(args))
        # The terminal settings after the run are written before the exit status, which the test
        # waits for.
        script = ("cd %s; stty -a > %s; env %s %s; status=$?; stty -a > %s; echo $status > %s" %
                  (shell_quote(workspace.dir), self.stty_before, exports, program, self.stty_after,
                   self.status_file))
        if shell:
            # A subshell, so that Ctrl + Z stops the whole command line and `fg` continues it.
            self.tmux("new-session", "-d", "-x", str(width), "-y", "40", "bash --norc --noprofile -i")
            self.type("( %s )" % script)
            self.keys("Enter")
        else:
            # The shell outlives a Ctrl + C aimed at the program: a trap (unlike an ignored signal)
            # is not inherited by the program, which gets the default action.
            self.tmux("new-session", "-d", "-x", str(width), "-y", "40", "bash --norc --noprofile -c %s" %
                      shell_quote("trap : INT; %s; sleep 600" % script))

    def tmux(self, *args):
        done = subprocess.run(["tmux", "-S", self.socket, "-f", "/dev/null"] + list(args),
                              capture_output=True, text=True)
        if done.returncode != 0:
            raise AssertionError("tmux %s failed: %s" % (args[0], done.stderr.strip()))
        return done.stdout

    def screen(self):
        return self.tmux("capture-pane", "-p")

    def lines(self):
        return [line.rstrip() for line in self.screen().split("\n")]

    def keys(self, *keys):
        self.tmux("send-keys", *keys)

    def type(self, text):
        self.tmux("send-keys", "-l", text)

    def wait_for(self, predicate, timeout=120, what="screen"):
        deadline = time.time() + timeout
        while time.time() < deadline:
            screen = self.screen()
            if predicate(screen):
                return screen
            time.sleep(0.1)
        raise AssertionError("timed out waiting for %s; screen:\n%s%s" % (what, self.screen(), self.state()))

    def state(self):
        """For a failure's report: the simulator's last calls and the program's processes."""
        calls = ["%d %s" % line for line in self.workspace.trace_lines()[-8:]]
        processes = subprocess.run(["ps", "-eo", "pid,stat,etime,args"], capture_output=True,
                                   text=True).stdout.splitlines()
        ours = [p for p in processes if "Vadro" in p]
        return "\nlast library calls:\n%s\nprocesses:\n%s" % ("\n".join(calls) or "(none)",
                                                               "\n".join(ours) or "(none)")

    def wait_text(self, text, timeout=120):
        return self.wait_for(lambda s: text in s, timeout, repr(text))

    def exit_status(self, timeout=180):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if os.path.exists(self.status_file):
                with open(self.status_file) as f:
                    content = f.read().strip()
                if content:
                    return int(content)
            time.sleep(0.1)
        raise AssertionError("the program did not end; screen:\n%s%s" % (self.screen(), self.state()))

    def terminal_settings(self):
        with open(self.stty_before) as before, open(self.stty_after) as after:
            return before.read(), after.read()

    def close(self):
        subprocess.run(["tmux", "-S", self.socket, "kill-server"], capture_output=True)


def shell_quote(text):
    return "'" + str(text).replace("'", "'\\''") + "'"


class E2ETest(unittest.TestCase):
    def setUp(self):
        self.ws = Workspace()
        self.addCleanup(self.ws.cleanup)

    def wait_trace(self, call, timeout=60):
        """Waits until the simulator's trace holds `call`, such as "USBCDLEDON 9 = 0"."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            if any(c == call for _, c in self.ws.trace_lines()):
                return
            time.sleep(0.05)
        self.fail("no %r in the trace" % call)

    def terminal(self, args, devices="3,7", **sim):
        term = Terminal(self.ws, args, devices, **sim)
        self.addCleanup(term.close)
        return term
