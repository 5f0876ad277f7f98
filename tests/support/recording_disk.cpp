#include "tests/support/recording_disk.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <random>
#include <set>

namespace {

constexpr size_t sector = 512, page = 4096;

bool isMetadata(DiskOperation::Kind k) {
    return k == DiskOperation::create || k == DiskOperation::link || k == DiskOperation::replace ||
           k == DiskOperation::remove;
}

// The fate of one write not yet flushed when the power went.
struct Fate {
    enum Kind { kept, lostAsZeros, lostShort, torn } kind = kept;
    size_t keptBytes = 0;  // torn: how much of it reached the disk
};

}  // namespace

std::string DiskOperation::describe() const {
    switch (kind) {
    case create: return "create " + path + " (file " + std::to_string(file) + ")";
    case write:
        return "write file " + std::to_string(file) + " at " + std::to_string(offset) + ", " +
               std::to_string(data.size()) + " bytes";
    case flush: return "flush file " + std::to_string(file);
    case close: return "close file " + std::to_string(file);
    case link: return "link " + path + " as " + other;
    case replace: return "replace " + other + " with " + path;
    case remove: return "delete " + path;
    }
    return "?";
}

RecordingDisk::RecordingDisk(const DiskContents& start) { reset(start); }

RecordingDisk::~RecordingDisk() {
    if (installed) useDisk(nullptr);
}

void RecordingDisk::install() {
    useDisk(this);
    installed = true;
}

std::string RecordingDisk::key(const std::string& path) {
    std::string k = path;
    for (char& c : k) c = c == '/' ? '\\' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return k;
}

void RecordingDisk::reset(const DiskContents& contents) {
    start = contents;
    log.clear();
    names.clear();
    shownNames.clear();
    files.clear();
    nextFile = 1;
    for (const auto& [name, bytes] : start) {
        names[key(name)] = nextFile;
        shownNames[key(name)] = name;
        files[nextFile++].bytes = bytes;
    }
}

DiskContents RecordingDisk::contents() const {
    DiskContents out;
    for (const auto& [k, id] : names) out[shownNames.at(k)] = files.at(id).bytes;
    return out;
}

bool RecordingDisk::isFile(const std::string& path) { return names.count(key(path)) > 0; }

bool RecordingDisk::isFolder(const std::string& path) {
    std::string k = key(path);
    while (!k.empty() && k.back() == '\\') k.pop_back();
    if (std::find(folders.begin(), folders.end(), k) != folders.end()) return true;
    for (const auto& entry : names)
        if (entry.first.size() > k.size() && entry.first.compare(0, k.size(), k) == 0 && entry.first[k.size()] == '\\')
            return true;
    return false;
}

bool RecordingDisk::makeFolder(const std::string& path) {
    if (isFolder(path)) return false;
    std::string k = key(path);
    while (!k.empty() && k.back() == '\\') k.pop_back();
    folders.push_back(k);
    return true;
}

bool RecordingDisk::read(const std::string& path, Bytes& bytes, std::string& error, size_t limit) {
    auto n = names.find(key(path));
    if (n == names.end()) {
        error = "The system cannot find the file specified.";
        return false;
    }
    const Bytes& all = files[n->second].bytes;
    bytes.assign(all.begin(), all.begin() + static_cast<ptrdiff_t>(std::min(limit, all.size())));
    return true;
}

FileStamp RecordingDisk::stamp(const std::string& path) {
    FileStamp s;
    auto n = names.find(key(path));
    if (n == names.end()) return s;
    s.exists = true;
    s.size = files[n->second].bytes.size();
    s.writeTime = static_cast<uint64_t>(n->second) * 1000000 + files[n->second].writes;
    return s;
}

bool RecordingDisk::same(const std::string& a, const std::string& b) {
    auto na = names.find(key(a)), nb = names.find(key(b));
    if (na != names.end() && nb != names.end()) return na->second == nb->second;
    if ((na == names.end()) != (nb == names.end())) return false;
    return key(a) == key(b);
}

bool RecordingDisk::isReadOnly(const std::string&) { return false; }

bool RecordingDisk::replaceable(const std::string&, std::string&) { return true; }

DiskFile RecordingDisk::create(const std::string& path, std::string& error) {
    std::string folder = folderOf(path);
    if (!folder.empty() && !isFolder(folder)) {
        error = "The system cannot find the path specified.";
        return -1;
    }
    int id = nextFile++;
    names[key(path)] = id;
    shownNames[key(path)] = path;
    files[id] = File();
    log.push_back({DiskOperation::create, path, "", id, 0, {}});
    return id;
}

bool RecordingDisk::write(DiskFile file, const uint8_t* data, size_t size, std::string&) {
    File& f = files[static_cast<int>(file)];
    size_t offset = f.bytes.size();
    f.bytes.insert(f.bytes.end(), data, data + size);
    ++f.writes;
    log.push_back({DiskOperation::write, "", "", static_cast<int>(file), offset, Bytes(data, data + size)});
    return true;
}

bool RecordingDisk::flush(DiskFile file, std::string&) {
    if (keepsFlushes) log.push_back({DiskOperation::flush, "", "", static_cast<int>(file), 0, {}});
    return true;
}

bool RecordingDisk::close(DiskFile file, std::string&) {
    log.push_back({DiskOperation::close, "", "", static_cast<int>(file), 0, {}});
    return true;
}

bool RecordingDisk::link(const std::string& existing, const std::string& name) {
    if (!hardLinks) return false;
    auto n = names.find(key(existing));
    if (n == names.end() || names.count(key(name))) return false;
    names[key(name)] = n->second;
    shownNames[key(name)] = name;
    log.push_back({DiskOperation::link, existing, name, n->second, 0, {}});
    return true;
}

bool RecordingDisk::replace(const std::string& from, const std::string& to, std::string& error) {
    auto n = names.find(key(from));
    if (n == names.end()) {
        error = "The system cannot find the file specified.";
        return false;
    }
    int id = n->second;
    names.erase(n);
    shownNames.erase(key(from));
    names[key(to)] = id;
    shownNames[key(to)] = to;
    log.push_back({DiskOperation::replace, to, from, id, 0, {}});
    return true;
}

void RecordingDisk::remove(const std::string& path) {
    if (!names.erase(key(path))) return;
    shownNames.erase(key(path));
    log.push_back({DiskOperation::remove, path, "", 0, 0, {}});
}

std::vector<CrashState> RecordingDisk::crashStates(bool sampled) const {
    std::vector<CrashState> states;
    std::mt19937 random(20261209);
    std::set<std::string> seen;  // states that leave the same files are checked once

    for (size_t issued = 0; issued <= log.size(); ++issued) {
        // The writes issued but not flushed: no flush of their file after them.
        std::vector<size_t> unflushed;
        for (size_t i = 0; i < issued; ++i) {
            if (log[i].kind != DiskOperation::write) continue;
            bool flushed = false;
            for (size_t j = i + 1; j < issued && !flushed; ++j)
                flushed = log[j].kind == DiskOperation::flush && log[j].file == log[i].file;
            if (!flushed) unflushed.push_back(i);
        }

        // Replays the first `issued` operations, each unflushed write
        // meeting its fate.
        auto replay = [&](const std::vector<Fate>& fates, const std::string& how) {
            std::map<std::string, int> n;
            std::map<std::string, std::string> shown;
            std::map<int, Bytes> f;
            int id = 1;
            for (const auto& [name, bytes] : start) {
                n[key(name)] = id;
                shown[key(name)] = name;
                f[id++] = bytes;
            }
            size_t u = 0;
            for (size_t i = 0; i < issued; ++i) {
                const DiskOperation& op = log[i];
                switch (op.kind) {
                case DiskOperation::create:
                    n[key(op.path)] = op.file;
                    shown[key(op.path)] = op.path;
                    f[op.file].clear();
                    break;
                case DiskOperation::write: {
                    Fate fate;
                    if (u < unflushed.size() && unflushed[u] == i) fate = fates[u++];
                    Bytes& b = f[op.file];
                    if (fate.kind == Fate::lostShort) break;
                    if (b.size() < op.offset + op.data.size()) b.resize(op.offset + op.data.size(), 0);
                    size_t keep = fate.kind == Fate::kept ? op.data.size()
                                  : fate.kind == Fate::torn ? fate.keptBytes
                                                            : 0;
                    std::copy(op.data.begin(), op.data.begin() + static_cast<ptrdiff_t>(keep),
                              b.begin() + static_cast<ptrdiff_t>(op.offset));
                    std::fill(b.begin() + static_cast<ptrdiff_t>(op.offset + keep),
                              b.begin() + static_cast<ptrdiff_t>(op.offset + op.data.size()), 0);
                    break;
                }
                case DiskOperation::link:
                    n[key(op.other)] = n.at(key(op.path));
                    shown[key(op.other)] = op.other;
                    break;
                case DiskOperation::replace:
                    n[key(op.path)] = n.at(key(op.other));
                    shown[key(op.path)] = op.path;
                    n.erase(key(op.other));
                    shown.erase(key(op.other));
                    break;
                case DiskOperation::remove:
                    n.erase(key(op.path));
                    shown.erase(key(op.path));
                    break;
                case DiskOperation::flush:
                case DiskOperation::close: break;
                }
            }
            CrashState s;
            s.issued = issued;
            s.how = how;
            for (const auto& [k, fileId] : n) s.contents[shown[k]] = f[fileId];
            std::string fingerprint;
            for (const auto& [name, bytes] : s.contents) {
                fingerprint += key(name) + '\0' + std::to_string(bytes.size()) + '\0';
                fingerprint.append(bytes.begin(), bytes.end());
            }
            if (seen.insert(fingerprint).second) states.push_back(std::move(s));
        };

        const size_t count = unflushed.size();
        // Every write kept or lost, as far as that is few enough to list;
        // otherwise a fixed sample of the combinations.
        std::vector<uint64_t> masks;
        if (count <= 10) {
            for (uint64_t m = 0; m < (uint64_t{1} << count); ++m) masks.push_back(m);
        } else {
            masks = {0, ~uint64_t{0}};
            for (int i = 0; i < 64; ++i) masks.push_back((uint64_t{random()} << 32) | random());
        }
        for (uint64_t m : masks) {
            std::vector<Fate> fates(count);
            std::string how;
            for (size_t w = 0; w < count; ++w)
                if (m >> (w % 64) & 1) {
                    fates[w].kind = Fate::lostAsZeros;
                    how += " write " + std::to_string(unflushed[w] + 1) + " lost";
                }
            replay(fates, how.empty() ? "every write kept" : how.substr(1));
            if (m == 0) continue;
            // The same writes lost before the file grew for them.
            for (Fate& fate : fates)
                if (fate.kind == Fate::lostAsZeros) fate.kind = Fate::lostShort;
            replay(fates, (how.empty() ? how : how.substr(1)) + ", the file not lengthened");
        }
        // Each write torn at a sector or page boundary inside it (the file's
        // own offsets), the others kept, then the others lost.
        for (size_t w = 0; w < count; ++w) {
            const DiskOperation& op = log[unflushed[w]];
            std::vector<size_t> cuts;
            for (size_t at = (op.offset / sector + 1) * sector; at < op.offset + op.data.size(); at += sector) {
                bool pageCut = at % page == 0;
                if (!sampled || pageCut) cuts.push_back(at - op.offset);
            }
            if (sampled) {
                size_t sectors = op.data.size() / sector;
                for (int i = 0; i < 4 && sectors > 0; ++i) {
                    size_t at = ((op.offset / sector) + 1 + random() % sectors) * sector;
                    if (at < op.offset + op.data.size()) cuts.push_back(at - op.offset);
                }
            }
            for (size_t cut : cuts)
                for (bool othersLost : {false, true}) {
                    std::vector<Fate> fates(count);
                    if (othersLost)
                        for (Fate& f : fates) f.kind = Fate::lostAsZeros;
                    fates[w] = {Fate::torn, cut};
                    replay(fates, "write " + std::to_string(unflushed[w] + 1) + " torn after " + std::to_string(cut) +
                                      " bytes" + (othersLost ? ", the others lost" : ""));
                }
        }
    }
    return states;
}
