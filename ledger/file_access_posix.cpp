// Host build: the same contract on POSIX files, for the portable tests.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "ledger/file_access.h"

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
std::string errorText() { return std::strerror(errno); }

class PosixDisk : public Disk {
public:
    bool isFile(const std::string& path) override {
        struct stat st;
        return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    }
    bool isFolder(const std::string& path) override {
        struct stat st;
        return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    bool makeFolder(const std::string& path) override { return mkdir(path.c_str(), 0777) == 0; }

    bool read(const std::string& path, Bytes& bytes, std::string& error, size_t limit) override {
        FILE* f = std::fopen(path.c_str(), "rb");
        if (!f) {
            error = errorText();
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

    FileStamp stamp(const std::string& path) override {
        FileStamp stamp;
        struct stat st;
        if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return stamp;
        stamp.exists = true;
        stamp.size = static_cast<uint64_t>(st.st_size);
        stamp.writeTime =
            static_cast<uint64_t>(st.st_mtim.tv_sec) * 1000000000u + static_cast<uint64_t>(st.st_mtim.tv_nsec);
        return stamp;
    }

    bool same(const std::string& a, const std::string& b) override {
        struct stat sa, sb;
        bool haveA = stat(a.c_str(), &sa) == 0, haveB = stat(b.c_str(), &sb) == 0;
        if (haveA && haveB) return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
        if (haveA != haveB) return false;
        return fullName(a) == fullName(b);
    }

    bool isReadOnly(const std::string& path) override {
        struct stat st;
        return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0;
    }
    bool replaceable(const std::string&, std::string&) override { return true; }

    DiskFile create(const std::string& path, std::string& error) override {
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (fd < 0) error = "cannot create a file in that folder";
        return fd < 0 ? -1 : fd;
    }
    bool write(DiskFile file, const uint8_t* data, size_t size, std::string& error) override {
        while (size > 0) {
            ssize_t w = ::write(static_cast<int>(file), data, size);
            if (w <= 0) {
                error = "the disk refused the data";
                return false;
            }
            data += w;
            size -= static_cast<size_t>(w);
        }
        return true;
    }
    bool flush(DiskFile file, std::string& error) override {
        if (fsync(static_cast<int>(file)) == 0) return true;
        error = "the data could not be flushed to disk";
        return false;
    }
    bool close(DiskFile file, std::string& error) override {
        if (::close(static_cast<int>(file)) == 0) return true;
        error = "the file could not be closed";
        return false;
    }

    bool link(const std::string& existing, const std::string& name) override {
        return ::link(existing.c_str(), name.c_str()) == 0;
    }
    bool replace(const std::string& from, const std::string& to, std::string& error) override {
        if (rename(from.c_str(), to.c_str()) == 0) return true;
        error = "the old file could not be replaced";
        return false;
    }
    void remove(const std::string& path) override { unlink(path.c_str()); }
};

}  // namespace

Disk& platformDisk() {
    static PosixDisk disk;
    return disk;
}

std::string programFile() {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

