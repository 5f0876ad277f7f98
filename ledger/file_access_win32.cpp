#include <windows.h>

#include <string>

#include "ledger/file_access.h"

namespace {

std::string lastErrorText() {
    DWORD code = GetLastError();
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string s = text ? text : "error " + std::to_string(code);
    if (text) LocalFree(text);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
    return s;
}


// Opens a file (or folder) only to ask who it is; any other program may
// hold it open meanwhile.
bool fileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info, bool& exists) {
    HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    exists = GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (h == INVALID_HANDLE_VALUE) return false;
    bool ok = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    return ok;
}

std::string fullPathName(const std::string& path) {
    char full[MAX_PATH * 4];
    DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    std::string s = n > 0 && n < sizeof full ? std::string(full, n) : path;
    CharUpperBuffA(&s[0], static_cast<DWORD>(s.size()));
    return s;
}


class Win32Disk : public Disk {
public:
    bool isFile(const std::string& path) override {
        DWORD a = GetFileAttributesA(path.c_str());
        return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
    }
    bool isFolder(const std::string& path) override {
        DWORD a = GetFileAttributesA(path.c_str());
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
    }
    bool makeFolder(const std::string& path) override { return CreateDirectoryA(path.c_str(), nullptr) != 0; }

    bool read(const std::string& path, Bytes& bytes, std::string& error, size_t limit) override {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            error = lastErrorText();
            return false;
        }
        bytes.clear();
        char buf[65536];
        DWORD got = 0;
        bool ok = true;
        while (bytes.size() < limit) {
            DWORD want = static_cast<DWORD>(limit - bytes.size() < sizeof buf ? limit - bytes.size() : sizeof buf);
            if (!ReadFile(h, buf, want, &got, nullptr)) {
                error = lastErrorText();
                ok = false;
                break;
            }
            if (got == 0) break;
            bytes.insert(bytes.end(), buf, buf + got);
        }
        CloseHandle(h);
        return ok;
    }

    FileStamp stamp(const std::string& path) override {
        FileStamp stamp;
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
            (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            return stamp;
        stamp.exists = true;
        stamp.size = (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
        stamp.writeTime =
            (uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
        return stamp;
    }

    bool same(const std::string& a, const std::string& b) override {
        BY_HANDLE_FILE_INFORMATION ia, ib;
        bool existsA = false, existsB = false;
        bool knownA = fileIdentity(a, ia, existsA), knownB = fileIdentity(b, ib, existsB);
        if (knownA && knownB)
            return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
                   ia.nFileIndexLow == ib.nFileIndexLow;
        if (existsA != existsB) return false;
        return fullPathName(a) == fullPathName(b);
    }

    bool isReadOnly(const std::string& path) override {
        DWORD a = GetFileAttributesA(path.c_str());
        return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY) && (a & FILE_ATTRIBUTE_READONLY);
    }
    bool replaceable(const std::string& path, std::string& error) override {
        HANDLE probe = CreateFileA(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, 0, nullptr);
        if (probe == INVALID_HANDLE_VALUE) {
            error = lastErrorText();
            return false;
        }
        CloseHandle(probe);
        return true;
    }

    DiskFile create(const std::string& path, std::string& error) override {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            error = lastErrorText();
            return -1;
        }
        return reinterpret_cast<DiskFile>(h);
    }
    bool write(DiskFile file, const uint8_t* data, size_t size, std::string& error) override {
        DWORD written = 0;
        if (WriteFile(reinterpret_cast<HANDLE>(file), data, static_cast<DWORD>(size), &written, nullptr) &&
            written == size)
            return true;
        error = lastErrorText();
        return false;
    }
    bool flush(DiskFile file, std::string& error) override {
        if (FlushFileBuffers(reinterpret_cast<HANDLE>(file))) return true;
        error = lastErrorText();
        return false;
    }
    bool close(DiskFile file, std::string& error) override {
        if (CloseHandle(reinterpret_cast<HANDLE>(file))) return true;
        error = lastErrorText();
        return false;
    }

    bool link(const std::string& existing, const std::string& name) override {
        return CreateHardLinkA(name.c_str(), existing.c_str(), nullptr) != 0;
    }
    bool replace(const std::string& from, const std::string& to, std::string& error) override {
        if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        error = lastErrorText();
        return false;
    }
    void remove(const std::string& path) override { DeleteFileA(path.c_str()); }
};

}  // namespace

Disk& platformDisk() {
    static Win32Disk disk;
    return disk;
}

std::string programFile() {
    char exe[MAX_PATH * 4] = "";
    DWORD n = GetModuleFileNameA(nullptr, exe, sizeof exe);
    return std::string(exe, n < sizeof exe ? n : 0);
}

