"""The program's own texts, byte for byte, as the tests expect them."""

USAGE = (b"\r\n   This utility is designated to control Vadro CD Library devices via USB port.\r\n"
         b"It selects the indicated CD or CDs. Numbers must started form 1. Version 1.00.\r\n\r\n"
         b"Vadro [Number] [Number1-NumberN] ...\r\n\r\n"
         b"Example: Vadro 25 186-189 3\r\n"
         b"It will select one by one disks 25, 186, 187, 188, 189, 3.\r\n")

WARNING = (b"\r\n   There are no ways to determine the device status for sure.\r\n"
           b"So, it's possible that the device will not answer correctly and\r\n"
           b"as a result the program will hang up. In this case, just press Ctrl + C.\r\n"
           b"Moving statistic:\r\n"
           b"Initial waiting: done.\r\n")

FIRST_TIME = (b"\r\n   For the first time the program must be initialized. Please turn on your CD Libraries,\r\n"
              b"connect them to the computer via USB port. The devices will be flashing with their indicators\r\n"
              b"one by one. While the specific device is flashing enter the desired number for that device.\r\n"
              b"The number must be from 1 to 127.\r\n\r\n")

CREATED = (b"\r\nVadro.xml file was created.\r\nPlease, do not delete this file,\r\n"
           b"otherwise you'll have to repeat the initialization procedure.\r\n")

PROMPT = "The flashing device will be number: "
NEW_DEVICE = "New device was found. Please, assign identification number for it (from 1 to 127)."
NEW_DEVICES = "New devices were found. Please, assign identification numbers for them (from 1 to 127)."

CANNOT_CHECK_XML = b"\r\nCannot check for Vadro.xml.\r\n"
CANNOT_LOAD_XML = b"\r\nCannot load initialization file (Vadro.xml).\r\n"
WRONG_FORMAT = b"\r\nWrong file format (Vadro.xml) or internal xml error.\r\n"
INPUT_ENDED = b"\r\nInput ended before a bank number was entered.\r\n"
OUT_OF_MEMORY = b"Vadro: out of memory.\n"
CANNOT_LOAD_LIBRARY = b"\r\nCannot load the device library USBCDDLL.dll.\r\n"
LIBRARY_NOT_FOUND = b"It is neither beside the program nor in the Windows system folder.\r\n"


def library_of_wrong_kind(bits):
    return b"It is not a %d-bit library (the %d-bit USBCDDLL.dll is needed), or it is damaged.\r\n" % (bits, bits)
RANGE_TOO_LONG = b"\r\nToo many discs in one range (at most 19050).\r\n"


def disc_line(disc, bank, slot):
    return b"CD N%d (%d:%d) selecting: done. Waiting for 5 seconds: done.\r\n" % (disc, bank, slot)


def assigned(device, bank):
    return "The device (internal number %d) was assigned to the bank %d" % (device, bank)


def screen_lines(data):
    """What a byte stream of running text looks like as screen lines."""
    return data.decode().replace("\r\n", "\n").split("\n")
