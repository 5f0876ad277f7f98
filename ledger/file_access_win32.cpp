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

}  // namespace

bool fileExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool folderExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool createFolder(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) != 0; }

bool readWholeFile(const std::string& path, Bytes& bytes, std::string& error, size_t limit) {
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

FileStamp fileStamp(const std::string& path) {
    FileStamp stamp;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return stamp;
    stamp.exists = true;
    stamp.size = (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    stamp.writeTime = (uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
    return stamp;
}

namespace {

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

}  // namespace

bool sameFile(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION ia, ib;
    bool existsA = false, existsB = false;
    bool knownA = fileIdentity(a, ia, existsA), knownB = fileIdentity(b, ib, existsB);
    if (knownA && knownB)
        return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
               ia.nFileIndexLow == ib.nFileIndexLow;
    if (existsA != existsB) return false;
    return fullPathName(a) == fullPathName(b);
}

std::string programFile() {
    char exe[MAX_PATH * 4] = "";
    DWORD n = GetModuleFileNameA(nullptr, exe, sizeof exe);
    return std::string(exe, n < sizeof exe ? n : 0);
}

namespace {

// Gives the file at path a second name, backupFileFor(path), by way of a
// temporary one, so that the backup too is always whole.
bool keepBackup(const std::string& path, std::string& error) {
    std::string backup = backupFileFor(path), temp = temporaryFileFor(backup);
    DeleteFileA(temp.c_str());  // left by an interrupted save
    bool made = !writeFaultHere() && (CreateHardLinkA(temp.c_str(), path.c_str(), nullptr) ||
                                      CopyFileA(path.c_str(), temp.c_str(), FALSE));  // no hard links there
    if (!made || writeFaultHere() ||
        !MoveFileExA(temp.c_str(), backup.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temp.c_str());
        error = "the backup copy " + backup + " could not be made";
        return false;
    }
    return true;
}

}  // namespace

bool writeFileSafely(const std::string& path, const Bytes& bytes, std::string& error, bool backup) {
    // Windows refuses to replace a read-only file; Wine would move over it.
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
        (attributes & FILE_ATTRIBUTE_READONLY)) {
        error = "the file is marked read-only";
        return false;
    }
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        // A program that holds the file open without sharing it would make
        // the final move fail: find out before any temporary file is made
        // (the backup's link to the locked file could not be removed again).
        HANDLE probe = CreateFileA(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, 0, nullptr);
        if (probe == INVALID_HANDLE_VALUE) {
            error = lastErrorText();
            return false;
        }
        CloseHandle(probe);
    }
    if (writeFaultHere()) {
        error = "cannot create a file in that folder";
        return false;
    }
    std::string temp = temporaryFileFor(path);
    HANDLE h = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        error = lastErrorText();
        return false;
    }
    auto fail = [&](const std::string& why) {
        CloseHandle(h);
        DeleteFileA(temp.c_str());
        error = why;
        return false;
    };
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(bytes.size() - done < 65536 ? bytes.size() - done : 65536);
        DWORD written = 0;
        if (writeFaultHere()) return fail("the disk refused the data");
        if (!WriteFile(h, bytes.data() + done, chunk, &written, nullptr) || written != chunk)
            return fail(lastErrorText());
        done += written;
    }
    if (writeFaultHere()) return fail("the data could not be flushed to disk");
    if (!FlushFileBuffers(h)) return fail(lastErrorText());
    if (writeFaultHere()) return fail("the file could not be closed");
    if (!CloseHandle(h)) {
        error = lastErrorText();
        DeleteFileA(temp.c_str());
        return false;
    }
    if (backup && fileExists(path) && !keepBackup(path, error)) {
        DeleteFileA(temp.c_str());
        return false;
    }
    if (writeFaultHere()) {
        DeleteFileA(temp.c_str());
        error = "the old file could not be replaced";
        return false;
    }
    if (!MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = lastErrorText();
        DeleteFileA(temp.c_str());
        return false;
    }
    return true;
}
