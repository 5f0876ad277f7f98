#include "ledger/file_access.h"

namespace {
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
