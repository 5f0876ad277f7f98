#!/usr/bin/env python3
"""Writes samples/demo.qvl, the year 2025 of a one-person bicycle repair and
parts shop, to learn Quirvel with and to show it, and samples/demo-2024.qvl,
the shop's year before as an archive file of its own.

The figures are made the way the entry dialog makes them: sales tax at the
combined rate .0725 (state .0625 + local .01), rounded to the cent with a
half going to the even cent, "Tax already included" amounts holding their
tax. The output is the same on every run (a fixed random start value for
each year).
"""
import datetime
import decimal
import os
import random
import struct

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


def workdays(rng, year, month, count):
    """count distinct shop days (Tuesday to Saturday) of a month, in order."""
    days = [datetime.date(year, month, d) for d in range(1, 32)
            if _valid(year, month, d) and datetime.date(year, month, d).weekday() in (1, 2, 3, 4, 5)]
    return sorted(rng.sample(days, min(count, len(days))))


def _valid(year, month, day):
    try:
        datetime.date(year, month, day)
        return True
    except ValueError:
        return False


# What changes from year to year: prices, the regular customers, how busy
# each month is (busy in spring and summer, quiet in winter), the fixed
# costs and the trips' lengths. The descriptions and names are in a
# sensible order for the lists.
YEARS = {
    2025: {
        "services": [("Tune-up", 6500), ("Flat repair", 1500), ("Brake adjustment", 2500), ("Wheel truing", 3000),
                     ("Gear adjustment", 2500), ("Full overhaul", 18000), ("Bike fitting", 7500)],
        "regulars": ["M. Okafor", "J. Lindqvist", "T. Moreau", "A. Petrov", "R. Castillo", "S. Nakamura",
                     "L. Brennan", "H. Adeyemi"],
        "parts": [("Inner tubes", 899), ("Tires", 4200), ("Brake pads", 1850), ("Chains", 3299), ("Helmets", 5999),
                  ("Lights", 2999), ("Saddles", 4499), ("Cables", 1299)],
        "season": {1: 9, 2: 10, 3: 17, 4: 24, 5: 30, 6: 32, 7: 32, 8: 28, 9: 21, 10: 15, 11: 10, 12: 11},
        "rent": 72500, "utilities": (9000, 16000), "phone": 5499, "interest": (180, 420), "insurance": 31250,
        "trips": [840, 1260, 2310, 3475, 5120],  # hundredths of a mile
    },
    # The year before: a little quieter and a little cheaper, shorter trips,
    # two regulars not yet coming and one who has since moved away.
    2024: {
        "services": [("Tune-up", 6000), ("Flat repair", 1400), ("Brake adjustment", 2300), ("Wheel truing", 2800),
                     ("Gear adjustment", 2300), ("Full overhaul", 16500), ("Bike fitting", 7000)],
        "regulars": ["M. Okafor", "J. Lindqvist", "T. Moreau", "A. Petrov", "R. Castillo", "D. Whitfield",
                     "L. Brennan"],
        "parts": [("Inner tubes", 849), ("Tires", 3999), ("Brake pads", 1750), ("Chains", 3199), ("Helmets", 5799),
                  ("Lights", 2899), ("Saddles", 4299), ("Cables", 1199)],
        "season": {1: 8, 2: 9, 3: 15, 4: 21, 5: 27, 6: 29, 7: 29, 8: 25, 9: 19, 10: 13, 11: 9, 12: 10},
        "rent": 70000, "utilities": (8500, 15000), "phone": 5299, "interest": (120, 360), "insurance": 29800,
        "trips": [840, 1260, 2310, 3475],
    },
}


def _occasional_2025(book, d):
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


def _occasional_2024(book, d):
    book.add(d(3, 12), EXPENSE, "Tools", "Toolhaus Supply", 25650)
    book.add(d(4, 9), EXPENSE, "Advertising", "Valley Gazette", 16500)
    book.add(d(11, 19), EXPENSE, "Bank fees", "Prairie Savings Bank", 3500)

    # Sales to another shop, who resells: no tax.
    book.add(d(5, 14), SOLD, "Used bicycle", "Second Gear Bikes", 28000, RESALE)
    book.add(d(9, 24), SOLD, "Used bicycle", "Second Gear Bikes", 24000, RESALE)
    # A bicycle delivered out of the county: the tax there was worked out by hand.
    book.add(d(8, 15), SOLD, "Used bicycle", "T. Moreau", 38000, TAX_SPECIFIED, handling=2500, tax=2660)

    # Parts taken from the shelf for the owner's own bicycle: use tax.
    book.add(d(4, 20), PERSONAL, "Brake pads", "Owner", 1750, TAX_ADDED)
    book.add(d(10, 11), PERSONAL, "Tires", "Owner", 3999, TAX_ADDED)

    # A year-end rebate from the main supplier.
    book.add(d(12, 31), EARNINGS, "Supplier rebate", "Cascade Cycle Supply", 9500)


OCCASIONAL = {2025: _occasional_2025, 2024: _occasional_2024}


def build(year=2025):
    """The shop's books for one year. Each year's list of descriptions and
    names holds only the entries its transactions use, as in an archive."""
    rng = random.Random(year)
    book = Ledger()
    d = lambda m, day: datetime.date(year, m, day)
    shape = YEARS[year]
    services, regulars, parts, season = shape["services"], shape["regulars"], shape["parts"], shape["season"]

    for month in range(1, 13):
        # Fixed monthly costs.
        book.add(d(month, 1), EXPENSE, "Shop rent", "Brightline Properties", shape["rent"])
        book.add(d(month, 12), EXPENSE, "Utilities", "Valley Power", rng.randrange(*shape["utilities"]))
        book.add(d(month, 18), EXPENSE, "Phone", "Cellnet", shape["phone"])
        book.add(d(month, 28), EARNINGS, "Interest", "Prairie Savings Bank", rng.randrange(*shape["interest"]))
        if month in (1, 4, 7, 10):
            book.add(d(month, 5), EXPENSE, "Insurance", "Harbor Mutual", shape["insurance"])

        # Repair jobs.
        for day in workdays(rng, year, month, season[month]):
            work, price = services[rng.choice([0, 0, 0, 0, 1, 1, 1, 2, 2, 3, 4, 4, 5, 5, 6])]
            who = rng.choice(regulars + ["Riverside Cycling Club", "City Courier Co", "Walk-in customer",
                                         "Walk-in customer"])
            book.add(day, SERVICE, work, who, price)

        # Parts sold over the counter, tax added; now and then one shipped.
        for n, day in enumerate(workdays(rng, year, month, season[month] // 2 + 3)):
            part, price = rng.choice(parts)
            count = rng.choice([1, 1, 1, 2, 2, 4])
            shipping = 895 if n == 0 and month in (3, 6, 9, 11) else 0
            who = "Walk-in customer" if rng.random() < 0.6 else rng.choice(regulars)
            book.add(day, SOLD, part, who, price * count, TAX_ADDED, shipping=shipping)

        # Parts bought from the wholesalers: the invoices include the tax.
        supplier = "Cascade Cycle Supply" if month % 2 else "Tandem Wholesale"
        for day in workdays(rng, year, month, 2):
            part, price = rng.choice(parts)
            book.add(day, BOUGHT, part, supplier, price * rng.choice([6, 10, 12]) * 6 // 10, TAX_INCLUDED,
                     handling=rng.choice([0, 500]), shipping=1250)

        # Trips for parts and house calls.
        for day in workdays(rng, year, month, 3):
            book.add(day, EXPENSE, "Mileage", "", rng.choice(shape["trips"]))

    # Occasional costs, sales and earnings.
    OCCASIONAL[year](book, d)
    return book


def main():
    samples = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "samples")
    for year, name in ((2025, "demo.qvl"), (2024, "demo-2024.qvl")):
        with open(os.path.join(samples, name), "wb") as f:
            f.write(build(year).encode())


if __name__ == "__main__":
    main()
