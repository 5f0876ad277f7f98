#!/usr/bin/env python3
"""Writes samples/sample.qvl: a small ledger with every transaction type,
used for screenshots and manual checks."""
import os
import struct


def packed(date):
    month, day, year = (int(p) for p in date.split("-"))
    return day + month * 32 + (year - 1980) * 512


def record(date, kind, descr, name, amount, handling=0, shipping=0, mode=255, rate=0.0, tax=0):
    return struct.pack("<HBHHiiiBfiH", packed(date), kind, descr, name, amount, handling, shipping,
                       mode, rate, tax, 0)


def entry(group, text):
    data = bytes([group]) + text.encode("cp1252")
    return bytes([len(data)]) + data


descriptions = [(1, "Consulting"), (2, "Office rent"), (2, "Mileage"), (3, "Widgets"),
                (6, "Interest"), (3, "Gadget kit"), (1, "Repairs")]
names = [(1, "Acme Corp"), (3, "Bolt & Co"), (6, "First Bank"), (2, "Landlord"), (1, "Dana Smith")]
transactions = [
    record("01-05-2006", 1, 1, 1, 50000),
    record("01-09-2006", 2, 2, 4, 80000),
    record("01-15-2006", 2, 3, 0, 12340),
    record("02-14-2006", 3, 4, 2, 1999, 100, 200, 0, 6.25, 125),
    record("02-20-2006", 3, 6, 2, 10000, 0, 0, 3, 6.25, 0),
    record("03-02-2006", 4, 4, 2, 2124, 0, 0, 1, 6.25, 125),
    record("03-20-2006", 5, 6, 0, 500, 0, 0, 0, 6.25, 31),
    record("04-03-2006", 1, 7, 5, 12500),
    record("04-30-2006", 6, 5, 3, 2500),
]

data = b"Quirvel Version 3" + struct.pack("<HHH", len(transactions), len(descriptions), len(names))
data += b"".join(transactions)
data += b"".join(entry(g, t) for g, t in descriptions)
data += b"".join(entry(g, t) for g, t in names)
here = os.path.dirname(os.path.abspath(__file__))
with open(os.path.join(here, "..", "samples", "sample.qvl"), "wb") as f:
    f.write(data)
