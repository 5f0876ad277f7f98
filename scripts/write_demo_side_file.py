#!/usr/bin/env python3
"""Writes the side file of the demonstration ledger, LEDGER-import, so that
the books remember an archive file of the year 2024:

    scripts/write_demo_side_file.py [--due] LEDGER ARCHIVE_WINDOWS_PATH

The side file names the ledger's bytes as the program does (their size and
64-bit FNV-1a hash) and holds one archive record, cutoff 12-31-2024, written
on 01-07-2025, the Schedule C lines the shop has confirmed for most of its
descriptions (a few are left as proposals, to be seen), and the inventory
of its parts at the start and end of 2025, and the shop's scheduled entries
(rent, phone, insurance, a courier's monthly service), handled up to today
so that nothing is due when the books open; with --due, the ones of the last
month and a half are left due. It is written as Quirvel writes a side file: a header,
tab-separated records with their texts escaped, "end COUNT", every line
ending in CR LF. The archive's path is the one the program will open, as
Windows names it (winepath -w under Wine).
"""
import datetime
import sys

HEADER = "Quirvel side file 2"
CUTOFF = datetime.date(2024, 12, 31)
WRITTEN_ON = datetime.date(2025, 1, 7)
# Longer paths are cut by the program; a demonstration's path must not be.
MAX_PATH_BYTES = 1024
# Group byte, description, line: the rest stay unconfirmed.
TAX_LINES = [
    (1, "Flat repair", "gross"), (1, "Tune-up", "gross"), (1, "Wheel truing", "gross"),
    (1, "Brake adjustment", "gross"), (1, "Full overhaul", "gross"), (1, "Bike fitting", "gross"),
    (2, "Shop rent", "rentOther"), (2, "Utilities", "utilities"), (2, "Phone", "utilities"),
    (2, "Insurance", "insurance"), (2, "Advertising", "advertising"), (2, "Bank fees", "otherExpenses"),
    (6, "Supplier rebate", "otherIncome"),
]
INVENTORY_2025 = (185000, 212000)  # hundredths: at the start and at the end of the year
SERVICE, EXPENSE = 1, 2
NO_TAX_OPTION = 255
# Type, description, name, amount in hundredths, the rule (unit, every,
# which day, day of the month) and the first date.
SCHEDULES = [
    (EXPENSE, "Shop rent", "Brightline Properties", 72500, "months", 1, "day", 1, datetime.date(2026, 1, 1)),
    (EXPENSE, "Phone", "Cellnet", 5499, "months", 1, "day", 18, datetime.date(2026, 1, 18)),
    (EXPENSE, "Insurance", "Harbor Mutual", 31250, "months", 3, "day", 5, datetime.date(2026, 1, 5)),
    (SERVICE, "Tune-up", "City Courier Co", 45000, "months", 1, "last", 31, datetime.date(2026, 1, 31)),
]


def packed(day):
    """A date as the program packs it in 16 bits."""
    return day.day + day.month * 32 + (day.year - 1980) * 512


def fnv1a64(data):
    value = 14695981039346656037
    for byte in data:
        value = ((value ^ byte) * 1099511628211) & 0xFFFFFFFFFFFFFFFF
    return value


def escape_field(text):
    """A text as one field of a line: backslash, tab, CR and LF escaped."""
    return text.replace("\\", "\\\\").replace("\t", "\\t").replace("\r", "\\r").replace("\n", "\\n")


def schedule_records(handled_up_to):
    """The schedules as their records: no end, handled up to the given day."""
    records = []
    for number, (kind, text, name, amount, unit, every, day_kind, day, first) in enumerate(SCHEDULES, 1):
        fields = ["schedule", "1", str(number), "-", str(kind), escape_field(text), escape_field(name), str(amount),
                  "0", "0", str(NO_TAX_OPTION), "00000000", "0", unit, str(every), day_kind, str(day), "1", "0",
                  str(packed(first)), "never", "0", "0", str(packed(handled_up_to)), "-"]
        records.append("\t".join(fields).encode("cp1252"))
    return records


def side_file(ledger_bytes, archive_path, handled_up_to):
    # The program's paths are ANSI strings: the archive's path is written in
    # the same code page as its bytes.
    if not archive_path or len(archive_path.encode("cp1252")) > MAX_PATH_BYTES:
        raise ValueError("the archive's path must be 1 to %d bytes long" % MAX_PATH_BYTES)
    records = [
        b"ledger\t1\t%d\t%016x" % (len(ledger_bytes), fnv1a64(ledger_bytes)),
        b"archive\t1\t" + escape_field(archive_path).encode("cp1252")
        + b"\t%d\t%d" % (packed(CUTOFF), packed(WRITTEN_ON)),
    ]
    records += [b"taxline\t1\t%d\t%s\t%s" % (group, escape_field(text).encode("cp1252"), line.encode("ascii"))
                for group, text, line in TAX_LINES]
    records.append(b"inventory\t1\t2025\t%d\t%d" % INVENTORY_2025)
    records += schedule_records(handled_up_to)
    lines = [HEADER.encode("ascii")] + records + [b"end %d" % len(records)]
    return b"".join(line + b"\r\n" for line in lines)


def main(argv):
    due = len(argv) > 1 and argv[1] == "--due"
    if due:
        argv = argv[:1] + argv[2:]
    if len(argv) != 3:
        sys.stderr.write("usage: write_demo_side_file.py [--due] LEDGER ARCHIVE_WINDOWS_PATH\n")
        return 2
    ledger, archive_path = argv[1], argv[2]
    handled_up_to = datetime.date.today() - datetime.timedelta(days=45 if due else 0)
    with open(ledger, "rb") as f:
        ledger_bytes = f.read()
    try:
        data = side_file(ledger_bytes, archive_path, handled_up_to)
    except (ValueError, UnicodeEncodeError) as e:
        sys.stderr.write("write_demo_side_file.py: %s\n" % e)
        return 1
    with open(ledger + "-import", "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
