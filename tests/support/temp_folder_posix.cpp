#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/support/temp_folder.h"

TempFolder::TempFolder() {
    char tmpl[] = "/tmp/quirvel-test-XXXXXX";
    path_ = std::string(mkdtemp(tmpl)) + "/";
}

TempFolder::~TempFolder() { std::filesystem::remove_all(path_); }

void TempFolder::write(const std::string& name, const Bytes& bytes) const {
    std::ofstream out(file(name), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes TempFolder::read(const std::string& name) const {
    std::ifstream in(file(name), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
