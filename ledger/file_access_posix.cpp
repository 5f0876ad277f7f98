// Host build: the same contract on POSIX files, for the portable tests.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "ledger/file_access.h"

bool fileExists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool folderExists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool createFolder(const std::string& path) { return mkdir(path.c_str(), 0777) == 0; }

bool readWholeFile(const std::string& path, Bytes& bytes, std::string& error, size_t limit) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = std::strerror(errno);
        return false;
    }
    bytes.clear();
    unsigned char buf[65536];
    size_t n;
    while (bytes.size() < limit &&
           (n = std::fread(buf, 1, std::min(sizeof buf, limit - bytes.size()), f)) > 0)
        bytes.insert(bytes.end(), buf, buf + n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    if (!ok) error = "read error";
    return ok;
}

FileStamp fileStamp(const std::string& path) {
    FileStamp stamp;
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return stamp;
    stamp.exists = true;
    stamp.size = static_cast<uint64_t>(st.st_size);
    stamp.writeTime = static_cast<uint64_t>(st.st_mtim.tv_sec) * 1000000000u + static_cast<uint64_t>(st.st_mtim.tv_nsec);
    return stamp;
}

namespace {

// The absolute name of a file that may not exist yet: its folder resolved.
std::string fullName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    char* real = realpath(folder.c_str(), nullptr);
    if (!real) return path;
    std::string full = std::string(real) + "/" + name;
    free(real);
    return full;
}

}  // namespace

bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    bool haveA = stat(a.c_str(), &sa) == 0, haveB = stat(b.c_str(), &sb) == 0;
    if (haveA && haveB) return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    if (haveA != haveB) return false;
    return fullName(a) == fullName(b);
}

std::string programFile() {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

namespace {

// Gives the file at path a second name, backupFileFor(path), by way of a
// temporary one, so that the backup too is always whole.
bool keepBackup(const std::string& path, std::string& error) {
    std::string backup = backupFileFor(path), temp = temporaryFileFor(backup);
    unlink(temp.c_str());  // left by an interrupted save
    bool linked = false;
    if (!writeFaultHere()) {
        linked = link(path.c_str(), temp.c_str()) == 0;
        if (!linked) {
            // A file system without hard links: copy instead.
            Bytes old;
            std::string ignored;
            int fd = readWholeFile(path, old, ignored) ? open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666) : -1;
            linked = fd >= 0 && write(fd, old.data(), old.size()) == static_cast<ssize_t>(old.size()) && fsync(fd) == 0;
            if (fd >= 0 && close(fd) != 0) linked = false;
        }
    }
    if (!linked || writeFaultHere() || rename(temp.c_str(), backup.c_str()) != 0) {
        unlink(temp.c_str());
        error = "the backup copy " + backup + " could not be made";
        return false;
    }
    return true;
}

}  // namespace

bool writeFileSafely(const std::string& path, const Bytes& bytes, std::string& error, bool backup) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0) {
        error = "the file is marked read-only";
        return false;
    }
    std::string temp = temporaryFileFor(path);
    int fd = writeFaultHere() ? -1 : open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0) {
        error = "cannot create a file in that folder";
        return false;
    }
    auto fail = [&](const char* why) {
        close(fd);
        unlink(temp.c_str());
        error = why;
        return false;
    };
    size_t done = 0;
    while (done < bytes.size()) {
        size_t chunk = bytes.size() - done < 65536 ? bytes.size() - done : 65536;
        if (writeFaultHere()) return fail("the disk refused the data");
        ssize_t w = write(fd, bytes.data() + done, chunk);
        if (w <= 0) return fail("the disk refused the data");
        done += static_cast<size_t>(w);
    }
    if (writeFaultHere() || fsync(fd) != 0) return fail("the data could not be flushed to disk");
    if (writeFaultHere()) return fail("the file could not be closed");
    if (close(fd) != 0) {
        unlink(temp.c_str());
        error = "the file could not be closed";
        return false;
    }
    if (backup && fileExists(path) && !keepBackup(path, error)) {
        unlink(temp.c_str());
        return false;
    }
    if (writeFaultHere() || rename(temp.c_str(), path.c_str()) != 0) {
        unlink(temp.c_str());
        error = "the old file could not be replaced";
        return false;
    }
    return true;
}
