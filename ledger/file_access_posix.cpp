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

bool writeFileSafely(const std::string& path, const Bytes& bytes, std::string& error) {
    std::string temp = path + ".XXXXXX";
    int fd = writeFaultHere() ? -1 : mkstemp(&temp[0]);
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
    if (writeFaultHere() || rename(temp.c_str(), path.c_str()) != 0) {
        unlink(temp.c_str());
        error = "the old file could not be replaced";
        return false;
    }
    return true;
}
