#!/usr/bin/env python3
"""Writes samples/demo.qvl: the year 2025 of a one-person bicycle repair and
parts shop, to learn Quirvel with and to show it.

The figures are made the way the entry dialog makes them: sales tax at the
combined rate .0725 (state .0625 + local .01), rounded to the cent with a
half going to the even cent, "Tax already included" amounts holding their
tax. The output is the same on every run (a fixed random start value).
"""
import datetime
import decimal
import os
import random
import struct

YEAR = 2025
STATE, COUNTY, LOCAL, DISTRICT = 0.0625, 0.0, 0.01, 0.0
# The program adds the four rates in this order.
COMBINED = COUNTY + STATE + LOCAL + DISTRICT
RATE_PERCENT = 7.25

SERVICE, EXPENSE, SOLD, BOUGHT, PERSONAL, EARNINGS = 1, 2, 3, 4, 5, 6
TAX_ADDED, TAX_INCLUDED, TAX_SPECIFIED, RESALE, NO_TAX = 0, 1, 2, 3, 255
GROUP = {SERVICE: 1, EXPENSE: 2, SOLD: 3, BOUGHT: 3, PERSONAL: 3, EARNINGS: 6}


def packed(day):
    return day.day + day.month * 32 + (day.year - 1980) * 512


def mask_cents(value):
    """Cents of value shown with the mask "0.00": to the nearest cent, an
    exact half (judged on 18 significant digits) to the even cent."""
    exact = decimal.Decimal("%.17e" % value)
    return int((exact * 100).quantize(decimal.Decimal(1), rounding=decimal.ROUND_HALF_EVEN))


def sales_tax(mode, cents):
    amount = cents / 100
    if mode == TAX_ADDED:
        return mask_cents(COMBINED * amount)
    if mode == TAX_INCLUDED:
        return mask_cents(COMBINED * amount / (COMBINED + 1))
    return 0


class Ledger:
    def __init__(self):
        self.descriptions, self.names, self.records = [], [], []

    def _index(self, table, group, text):
        if not text:
            return 0
        key = (group, text)
        if key not in table:
            table.append(key)
        return table.index(key) + 1

    def add(self, day, kind, descr, name, cents, mode=NO_TAX, handling=0, shipping=0, tax=None):
        group = GROUP[kind]
        if tax is None:
            tax = sales_tax(mode, cents)
        rate = RATE_PERCENT if kind in (SOLD, BOUGHT, PERSONAL) else 0.0
        self.records.append((packed(day), len(self.records), struct.pack(
            "<HBHHiiiBfiH", packed(day), kind, self._index(self.descriptions, group, descr),
            self._index(self.names, group, name), cents, handling, shipping, mode, rate, tax, 0)))

    def encode(self):
        def entry(group, text):
            data = bytes([group]) + text.encode("cp1252")
            return bytes([len(data)]) + data

        records = [r for _, _, r in sorted(self.records)]  # date order, ties as entered
        data = b"Quirvel Version 3" + struct.pack("<HHH", len(records), len(self.descriptions), len(self.names))
        data += b"".join(records)
        data += b"".join(entry(g, t) for g, t in self.descriptions)
        data += b"".join(entry(g, t) for g, t in self.names)
        return data


def workdays(rng, month, count):
    """count distinct shop days (Tuesday to Saturday) of a month, in order."""
    days = [datetime.date(YEAR, month, d) for d in range(1, 32)
            if _valid(month, d) and datetime.date(YEAR, month, d).weekday() in (1, 2, 3, 4, 5)]
    return sorted(rng.sample(days, min(count, len(days))))


def _valid(month, day):
    try:
        datetime.date(YEAR, month, day)
        return True
    except ValueError:
        return False


def build():
    rng = random.Random(YEAR)
    book = Ledger()
    d = lambda m, day: datetime.date(YEAR, m, day)

    # The descriptions and names in a sensible order for the lists.
    services = [("Tune-up", 6500), ("Flat repair", 1500), ("Brake adjustment", 2500), ("Wheel truing", 3000),
                ("Gear adjustment", 2500), ("Full overhaul", 18000), ("Bike fitting", 7500)]
    regulars = ["M. Okafor", "J. Lindqvist", "T. Moreau", "A. Petrov", "R. Castillo", "S. Nakamura",
                "L. Brennan", "H. Adeyemi"]
    parts = [("Inner tubes", 899), ("Tires", 4200), ("Brake pads", 1850), ("Chains", 3299), ("Helmets", 5999),
             ("Lights", 2999), ("Saddles", 4499), ("Cables", 1299)]
    # Busy in spring and summer, quiet in winter.
    season = {1: 9, 2: 10, 3: 17, 4: 24, 5: 30, 6: 32, 7: 32, 8: 28, 9: 21, 10: 15, 11: 10, 12: 11}

    for month in range(1, 13):
        # Fixed monthly costs.
        book.add(d(month, 1), EXPENSE, "Shop rent", "Brightline Properties", 72500)
        book.add(d(month, 12), EXPENSE, "Utilities", "Valley Power", rng.randrange(9000, 16000))
        book.add(d(month, 18), EXPENSE, "Phone", "Cellnet", 5499)
        book.add(d(month, 28), EARNINGS, "Interest", "Prairie Savings Bank", rng.randrange(180, 420))
        if month in (1, 4, 7, 10):
            book.add(d(month, 5), EXPENSE, "Insurance", "Harbor Mutual", 31250)

        # Repair jobs.
        for day in workdays(rng, month, season[month]):
            work, price = services[rng.choice([0, 0, 0, 0, 1, 1, 1, 2, 2, 3, 4, 4, 5, 5, 6])]
            who = rng.choice(regulars + ["Riverside Cycling Club", "City Courier Co", "Walk-in customer",
                                         "Walk-in customer"])
            book.add(day, SERVICE, work, who, price)

        # Parts sold over the counter, tax added; now and then one shipped.
        for n, day in enumerate(workdays(rng, month, season[month] // 2 + 3)):
            part, price = rng.choice(parts)
            count = rng.choice([1, 1, 1, 2, 2, 4])
            shipping = 895 if n == 0 and month in (3, 6, 9, 11) else 0
            who = "Walk-in customer" if rng.random() < 0.6 else rng.choice(regulars)
            book.add(day, SOLD, part, who, price * count, TAX_ADDED, shipping=shipping)

        # Parts bought from the wholesalers: the invoices include the tax.
        supplier = "Cascade Cycle Supply" if month % 2 else "Tandem Wholesale"
        for day in workdays(rng, month, 2):
            part, price = rng.choice(parts)
            book.add(day, BOUGHT, part, supplier, price * rng.choice([6, 10, 12]) * 6 // 10, TAX_INCLUDED,
                     handling=rng.choice([0, 500]), shipping=1250)

        # Trips for parts and house calls.
        for day in workdays(rng, month, 3):
            book.add(day, EXPENSE, "Mileage", "", rng.choice([840, 1260, 2310, 3475, 5120]))

    # Occasional costs.
    book.add(d(2, 20), EXPENSE, "Tools", "Toolhaus Supply", 42890)
    book.add(d(3, 4), EXPENSE, "Advertising", "Valley Gazette", 18000)
    book.add(d(5, 6), EXPENSE, "Advertising", "Valley Gazette", 18000)
    book.add(d(9, 16), EXPENSE, "Tools", "Toolhaus Supply", 13575)
    book.add(d(11, 14), EXPENSE, "Bank fees", "Prairie Savings Bank", 3500)

    # Sales to another shop, who resells: no tax.
    book.add(d(4, 22), SOLD, "Used bicycle", "Second Gear Bikes", 32000, RESALE)
    book.add(d(7, 10), SOLD, "Tires", "Second Gear Bikes", 21000, RESALE, shipping=1500)
    book.add(d(10, 2), SOLD, "Used bicycle", "Second Gear Bikes", 27500, RESALE)
    # A bicycle delivered out of the county: the tax there was worked out by hand.
    book.add(d(6, 19), SOLD, "Used bicycle", "J. Lindqvist", 45000, TAX_SPECIFIED, handling=2500, tax=3150)

    # Parts taken from the shelf for the owner's own bicycle: use tax.
    book.add(d(5, 3), PERSONAL, "Tires", "Owner", 8400, TAX_ADDED)
    book.add(d(8, 23), PERSONAL, "Lights", "Owner", 2999, TAX_ADDED)
    book.add(d(12, 20), PERSONAL, "Helmets", "Owner", 5999, TAX_ADDED)

    # A year-end rebate from the main supplier.
    book.add(d(12, 31), EARNINGS, "Supplier rebate", "Cascade Cycle Supply", 12500)
    return book


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = os.path.join(here, "..", "samples", "demo.qvl")
    with open(out, "wb") as f:
        f.write(build().encode())


if __name__ == "__main__":
    main()
