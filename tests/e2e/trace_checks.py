"""Reading the simulator's trace: which device calls were made, in which order and how far apart."""

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
