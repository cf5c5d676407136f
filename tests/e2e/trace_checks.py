"""Reading the simulator's trace: which device calls were made, in which order and how far apart."""
import statistics

from harness import WINDOWS

# Scheduling under load and Wine's start-up blur real timings; the waits themselves are seconds.
SLACK_MS = 400 if WINDOWS else 250
# The program sleeps 50 ms between two polls. The median gap is held to a narrow window: a loaded
# machine delays some wake-ups, not most of them. Wine's timers are coarser.
POLL_MEDIAN_MS = (40, 120) if WINDOWS else (40, 90)

DEVICE_CALLS = ("USBCDGetStatus", "USBCDMoveto", "USBCDGetCDDown", "USBCDReset", "USBCDLEDON", "USBCDLEDOFF")


def parse(call):
    """'USBCDMoveto 7 36 = 0' -> ('USBCDMoveto', [7, 36], 0)."""
    text, _, result = call.partition(" = ")
    words = text.split()
    return words[0], [int(w) for w in words[1:]], int(result) if result else None


def selection_calls(lines):
    """The polls of the selection run, as (ms, name, args, result)."""
    out = []
    for ms, call in lines:
        name, args, result = parse(call)
        if name in ("USBCDGetStatus", "USBCDMoveto", "USBCDGetCDDown"):
            out.append((ms, name, args, result))
    return out


def phases(calls):
    """Groups consecutive polls of one operation: [(name, args, [(ms, result), ...]), ...]."""
    groups = []
    for ms, name, args, result in calls:
        if groups and groups[-1][0] == name and groups[-1][1] == args and groups[-1][2][-1][1] != 0:
            groups[-1][2].append((ms, result))
        else:
            groups.append((name, args, [(ms, result)]))
    return groups


def assert_polled_every_50_ms(test, *runs):
    """Each run is the times (ms) of consecutive polls of one wait: no gap is under 45 ms, and the
    median gap of all runs together lies within POLL_MEDIAN_MS."""
    gaps = [later - earlier for times in runs for earlier, later in zip(times, times[1:])]
    test.assertTrue(gaps, "no wait took two polls")
    test.assertGreaterEqual(min(gaps), 45, gaps)
    median = statistics.median(gaps)
    test.assertTrue(POLL_MEDIAN_MS[0] <= median <= POLL_MEDIAN_MS[1], "median gap %s of %s" % (median, gaps))


def dialogue(lines):
    """The device calls of the bank assignment as one text: "R3 N3 F3 R7" for USBCDReset 3,
    USBCDLEDON 3, USBCDLEDOFF 3, USBCDReset 7."""
    letters = {"USBCDReset": "R", "USBCDLEDON": "N", "USBCDLEDOFF": "F"}
    calls = [parse(call) for _, call in lines]
    return " ".join(letters[name] + str(args[0]) for name, args, _ in calls if name in letters)
