#include "ledger/file_access.h"

Disk& platformDisk();  // in the platform's file

namespace {
Disk* replacementDisk = nullptr;
int faultAt = 0;
bool faultPersistent = false;
int operations = 0;
}  // namespace

void setWriteFault(int failAt, bool persistent) {
    faultAt = failAt;
    faultPersistent = persistent;
    operations = 0;
}

int writeOperationCount() { return operations; }

bool writeFaultHere() {
    ++operations;
    if (faultAt <= 0) return false;
    return operations == faultAt || (faultPersistent && operations > faultAt);
}

std::string temporaryFileFor(const std::string& path) { return path + ".tmp"; }

std::string backupFileFor(const std::string& path) { return path + ".bak"; }

std::string fileNameOf(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string folderOf(const std::string& path) { return path.substr(0, path.size() - fileNameOf(path).size()); }

Disk& disk() { return replacementDisk ? *replacementDisk : platformDisk(); }

void useDisk(Disk* replacement) { replacementDisk = replacement; }

bool fileExists(const std::string& path) { return disk().isFile(path); }

bool folderExists(const std::string& path) { return disk().isFolder(path); }

bool createFolder(const std::string& path) { return disk().makeFolder(path); }

bool readWholeFile(const std::string& path, Bytes& bytes, std::string& error, size_t limit) {
    return disk().read(path, bytes, error, limit);
}

FileStamp fileStamp(const std::string& path) { return disk().stamp(path); }

bool sameFile(const std::string& a, const std::string& b) { return disk().same(a, b); }

namespace {

// A copy of the file, on the disk itself before anything names it: a
// power cut must not leave the backup's name on data never written.
bool copyFlushed(Disk& d, const std::string& from, const std::string& to) {
    Bytes old;
    std::string ignored;
    if (!d.read(from, old, ignored, SIZE_MAX)) return false;
    DiskFile file = d.create(to, ignored);
    if (file == -1) return false;
    bool ok = true;
    for (size_t done = 0; ok && done < old.size(); done += 65536)
        ok = d.write(file, old.data() + done, old.size() - done < 65536 ? old.size() - done : 65536, ignored);
    ok = ok && d.flush(file, ignored);
    return d.close(file, ignored) && ok;
}

// Gives the file at path a second name, backupFileFor(path), by way of a
// temporary one, so that the backup too is always whole: a hard link, or a
// copy where the file system has none.
bool keepBackup(Disk& d, const std::string& path, std::string& error) {
    std::string backup = backupFileFor(path), temp = temporaryFileFor(backup);
    d.remove(temp);  // left by an interrupted save
    std::string ignored;
    if (writeFaultHere() || !(d.link(path, temp) || copyFlushed(d, path, temp)) || writeFaultHere() ||
        !d.replace(temp, backup, ignored)) {
        d.remove(temp);
        error = "the backup copy " + backup + " could not be made";
        return false;
    }
    return true;
}

}  // namespace

void removeLeftoversOf(const std::string& path) {
    disk().remove(temporaryFileFor(path));
    disk().remove(temporaryFileFor(backupFileFor(path)));
}

bool writeFileSafely(const std::string& path, const Bytes& bytes, std::string& error, bool backup) {
    Disk& d = disk();
    // Windows refuses to replace a read-only file; other systems would move
    // over it.
    if (d.isReadOnly(path)) {
        error = "the file is marked read-only";
        return false;
    }
    // A program that holds the file open without sharing it would make the
    // final move fail: found out before any temporary file is made (the
    // backup's link to the locked file could not be removed again).
    if (d.isFile(path) && !d.replaceable(path, error)) return false;
    if (writeFaultHere()) {
        error = "cannot create a file in that folder";
        return false;
    }
    std::string temp = temporaryFileFor(path);
    DiskFile file = d.create(temp, error);
    if (file == -1) return false;
    auto fail = [&](const std::string& why) {
        std::string ignored;
        d.close(file, ignored);
        d.remove(temp);
        error = why;
        return false;
    };
    size_t done = 0;
    while (done < bytes.size()) {
        size_t chunk = bytes.size() - done < 65536 ? bytes.size() - done : 65536;
        if (writeFaultHere()) return fail("the disk refused the data");
        if (!d.write(file, bytes.data() + done, chunk, error)) return fail(error);
        done += chunk;
    }
    // The data is on the disk before any name leads to it.
    if (writeFaultHere()) return fail("the data could not be flushed to disk");
    if (!d.flush(file, error)) return fail(error);
    if (writeFaultHere()) return fail("the file could not be closed");
    if (!d.close(file, error)) {
        d.remove(temp);
        return false;
    }
    if (backup && d.isFile(path) && !keepBackup(d, path, error)) {
        d.remove(temp);
        return false;
    }
    if (writeFaultHere()) {
        d.remove(temp);
        error = "the old file could not be replaced";
        return false;
    }
    if (!d.replace(temp, path, error)) {
        d.remove(temp);
        return false;
    }
    return true;
}
