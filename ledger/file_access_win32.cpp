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

std::string folderOf(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? "." : path.substr(0, slash + 1);
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

bool writeFileSafely(const std::string& path, const Bytes& bytes, std::string& error) {
    char temp[MAX_PATH + 1];
    if (writeFaultHere()) {
        error = "cannot create a file in that folder";
        return false;
    }
    if (!GetTempFileNameA(folderOf(path).c_str(), "qvl", 0, temp)) {
        error = lastErrorText();
        return false;
    }
    HANDLE h = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        error = lastErrorText();
        DeleteFileA(temp);
        return false;
    }
    auto fail = [&](const std::string& why) {
        CloseHandle(h);
        DeleteFileA(temp);
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
        DeleteFileA(temp);
        return false;
    }
    if (writeFaultHere()) {
        DeleteFileA(temp);
        error = "the old file could not be replaced";
        return false;
    }
    if (!MoveFileExA(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = lastErrorText();
        DeleteFileA(temp);
        return false;
    }
    return true;
}
