#include "fuzz/boundary_ledgers.h"

#include <cstdint>
#include <cstring>
#include <limits>

namespace {

void add16(Bytes& b, uint16_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}

void add32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void addText(Bytes& b, const std::string& s) { b.insert(b.end(), s.begin(), s.end()); }

Bytes start(const std::string& header, uint16_t n, uint16_t d, uint16_t m) {
    Bytes b;
    addText(b, header);
    add16(b, n);
    add16(b, d);
    add16(b, m);
    return b;
}

Bytes v3(uint16_t n, uint16_t d, uint16_t m) { return start("Quirvel Version 3", n, d, m); }

uint16_t packed(int month, int day, int year) { return static_cast<uint16_t>(day + month * 32 + (year - 1980) * 512); }

struct Record {
    uint16_t date = packed(1, 1, 2006);
    uint8_t type = 1;
    uint16_t descr = 0, name = 0;
    int32_t amount = 0, handling = 0, shipping = 0;
    uint8_t taxMode = 255;
    uint32_t rateBits = 0;
    int32_t salesTax = 0;
    uint16_t reserved = 0;
};

void addRecord(Bytes& b, const Record& r) {
    add16(b, r.date);
    b.push_back(r.type);
    add16(b, r.descr);
    add16(b, r.name);
    add32(b, static_cast<uint32_t>(r.amount));
    add32(b, static_cast<uint32_t>(r.handling));
    add32(b, static_cast<uint32_t>(r.shipping));
    b.push_back(r.taxMode);
    add32(b, r.rateBits);
    add32(b, static_cast<uint32_t>(r.salesTax));
    add16(b, r.reserved);
}

void addOldRecord(Bytes& b, uint16_t date, uint8_t type, uint8_t descr, uint16_t name, int32_t amount,
                  int32_t handling, int32_t shipping, int32_t tax) {
    add16(b, date);
    b.push_back(type);
    b.push_back(descr);
    add16(b, name);
    add32(b, static_cast<uint32_t>(amount));
    add32(b, static_cast<uint32_t>(handling));
    add32(b, static_cast<uint32_t>(shipping));
    add32(b, static_cast<uint32_t>(tax));
}

void addEntry(Bytes& b, uint8_t group, const std::string& text) {
    b.push_back(static_cast<uint8_t>(text.size() + 1));
    b.push_back(group);
    addText(b, text);
}

uint32_t bitsOf(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

// One transaction of every type, with lists in their groups.
Bytes v3Sample() {
    Bytes b = v3(7, 5, 4);
    uint32_t rate = bitsOf(6.25f);
    addRecord(b, {packed(1, 5, 2006), 1, 1, 1, 50000, 0, 0, 255, 0, 0, 0});
    addRecord(b, {packed(1, 9, 2006), 2, 2, 4, 80000, 0, 0, 255, 0, 0, 0});
    addRecord(b, {packed(2, 1, 2006), 2, 3, 0, 12340, 0, 0, 255, 0, 0, 0});
    addRecord(b, {packed(2, 14, 2006), 3, 4, 2, 1999, 100, 200, 0, rate, 125, 0});
    addRecord(b, {packed(3, 2, 2006), 4, 4, 2, 1000, 0, 0, 1, rate, 59, 0});
    addRecord(b, {packed(3, 20, 2006), 5, 4, 0, 500, 0, 0, 2, rate, 31, 0});
    addRecord(b, {packed(4, 30, 2006), 6, 5, 3, 2500, 0, 0, 255, 0, 0, 0});
    addEntry(b, 1, "Consulting");
    addEntry(b, 2, "Office rent");
    addEntry(b, 2, "Mileage");
    addEntry(b, 3, "Widgets");
    addEntry(b, 6, "Interest");
    addEntry(b, 1, "Acme Corp");
    addEntry(b, 3, "Bolt & Co");
    addEntry(b, 6, "First Bank");
    addEntry(b, 2, "Landlord");
    return b;
}

// Three old records and their lists, after whatever header is given.
Bytes oldSample(const std::string& header) {
    Bytes b = start(header, 3, 2, 2);
    addOldRecord(b, packed(1, 2, 2003), 3, 1, 1, 1000, 100, 200, 62);
    addOldRecord(b, packed(1, 3, 2003), 3, 2, 2, 500, 0, 0, -150);
    addOldRecord(b, packed(7, 4, 2004), 2, 0, 0, 4000, 0, 0, 0);
    addEntry(b, 3, "Pens");
    addEntry(b, 3, "Books");
    addEntry(b, 3, "Stationer");
    addEntry(b, 3, "Bookshop");
    return b;
}

Bytes cut(Bytes b, size_t length) {
    b.resize(length);
    return b;
}

Bytes zeros(Bytes b, size_t count) {
    b.insert(b.end(), count, 0);
    return b;
}

}  // namespace

std::vector<BoundaryLedger> boundaryLedgers() {
    std::vector<BoundaryLedger> s;
    auto add = [&](const std::string& name, const Bytes& bytes, bool loads, size_t messages, bool savedAlike) {
        s.push_back({name + ".qvl", bytes, loads, messages, savedAlike});
    };

    // Every version.
    add("v3-empty", v3(0, 0, 0), true, 0, true);
    add("v3-sample", v3Sample(), true, 0, true);
    add("v2-sample", oldSample("Quirvel Version 2"), true, 0, false);
    add("v1-sample", oldSample("Quirvel Version 1"), true, 0, false);
    add("v2-other-header", oldSample("Books Version 2"), true, 0, false);
    add("v0-sample", oldSample(""), true, 1, false);  // announced as an old file
    add("version-not-a-digit", oldSample("Quirvel Version x"), true, 0, false);
    {
        Bytes b = v3Sample();
        b[4] = 'x';
        add("v3-not-quirvel", b, false, 1, false);
    }
    add("v4", start("Quirvel Version 4", 0, 0, 0), false, 1, false);

    // Counts: none, one, the capacity, one more, the largest.
    {
        Bytes one = v3(1, 1, 1);
        addRecord(one, {packed(5, 6, 2007), 3, 1, 1, 995, 5, 7, 0, bitsOf(7.25f), 72, 0});
        addEntry(one, 3, "Lamp");
        addEntry(one, 3, "Ann");
        add("v3-one-of-each", one, true, 0, true);
    }
    add("v3-transactions-5000-short", v3(5000, 0, 0), true, 1, false);
    add("v3-transactions-5001", v3(5001, 0, 0), false, 1, false);
    add("v3-transactions-65535", v3(65535, 0, 0), false, 1, false);
    add("v3-descriptions-500-short", v3(0, 500, 0), true, 1, false);
    add("v3-descriptions-501", v3(0, 501, 0), false, 1, false);
    add("v3-descriptions-65535", v3(0, 65535, 0), false, 1, false);
    add("v3-names-1000-short", v3(0, 0, 1000), true, 1, false);
    add("v3-names-1001", v3(0, 0, 1001), false, 1, false);
    add("v3-names-65535", v3(0, 0, 65535), false, 1, false);
    add("v0-transactions-5001", start("", 5001, 0, 0), false, 2, false);
    {
        // Every table full, every entry as long as an entry can be.
        Bytes full = v3(5000, 500, 1000);
        for (int i = 1; i <= 5000; ++i) {
            Record r;
            r.date = static_cast<uint16_t>(packed(1, 1, 1990) + i / 4);
            r.type = static_cast<uint8_t>(1 + i % 6);
            r.descr = static_cast<uint16_t>(i % 501);
            r.name = static_cast<uint16_t>(i % 1001);
            r.amount = i * 100;
            addRecord(full, r);
        }
        for (int i = 0; i < 1500; ++i)
            addEntry(full, static_cast<uint8_t>(1 + i % 6), std::string(254, static_cast<char>('A' + i % 26)));
        add("v3-everything-full", full, true, 0, true);
    }

    // Entry lengths 0 and 255, and indices at and past their counts.
    {
        Bytes b = v3(1, 2, 2);
        addRecord(b, {packed(8, 9, 2010), 1, 2, 2, 100, 0, 0, 255, 0, 0, 0});
        b.push_back(0);
        addEntry(b, 1, std::string(254, 'd'));
        addEntry(b, 1, std::string(254, 'n'));
        b.push_back(0);
        add("v3-entry-lengths-0-and-255", b, true, 0, true);
    }
    {
        Bytes b = v3(2, 1, 1);
        addRecord(b, {packed(1, 1, 2001), 1, 1, 1, 1, 0, 0, 255, 0, 0, 0});
        addRecord(b, {packed(1, 2, 2001), 1, 2, 2, 2, 0, 0, 255, 0, 0, 0});
        addEntry(b, 1, "D");
        addEntry(b, 1, "N");
        add("v3-index-past-count", b, true, 1, false);  // cleared and reported
    }
    {
        Bytes b = start("Quirvel Version 2", 1, 1, 0);
        addOldRecord(b, packed(1, 1, 1999), 2, 255, 0, 1, 0, 0, 0);
        addEntry(b, 2, "D");
        add("v2-index-past-count", b, true, 1, false);
    }

    // Short files: what is whole loads, and what is missing is reported.
    add("empty-file", Bytes(), true, 1, false);
    add("one-byte", Bytes{7}, true, 2, false);
    add("v3-header-only", cut(v3(0, 0, 0), 17), true, 0, false);
    add("v3-counts-cut", cut(v3(1, 0, 0), 20), true, 1, false);
    add("header-cut", cut(v3(0, 0, 0), 10), false, 2, false);
    add("v3-cut-in-record", cut(v3Sample(), 23 + 30 + 15), true, 1, false);
    {
        Bytes b = v3(0, 1, 0);
        b.push_back(10);
        addText(b, "\x01" "ab");
        add("v3-cut-in-entry", b, true, 1, false);
    }
    add("v3-trailing-bytes", zeros(v3Sample(), 100), true, 0, false);

    // Field values no dialog makes but a file can hold.
    {
        Bytes b = v3(4, 0, 0);
        addRecord(b, {0, 0, 0, 0, std::numeric_limits<int32_t>::min(), -1, std::numeric_limits<int32_t>::max(), 7,
                      0x7FC00001, std::numeric_limits<int32_t>::min(), 0xFFFF});
        addRecord(b, {packed(15, 31, 2107), 255, 0, 0, 1, 2, 3, 3, 0xFF800000, -5, 1});
        addRecord(b, {0xFFFF, 7, 0, 0, 0, 0, 0, 255, 0x00000001, 0, 0});
        addRecord(b, {0x0001, 3, 0, 0, 0, 0, 0, 0, 0x7F800000, 0, 0});  // out of date order
        add("v3-odd-fields", b, true, 0, true);
    }
    {
        Bytes b = start("", 1, 0, 0);
        addOldRecord(b, 0xFFFF, 9, 0, 0, std::numeric_limits<int32_t>::min(), 0, 0,
                     std::numeric_limits<int32_t>::min());
        add("v0-odd-fields", b, true, 1, false);
    }
    return s;
}
