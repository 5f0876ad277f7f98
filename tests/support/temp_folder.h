// A fresh folder for one test's files, removed afterwards.
#pragma once
#include <string>

#include "ledger/file_access.h"

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    // The folder with its trailing separator.
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + name; }
    void write(const std::string& name, const Bytes& bytes) const;
    Bytes read(const std::string& name) const;

private:
    std::string path_;
};
