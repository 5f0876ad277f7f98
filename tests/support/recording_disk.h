// A disk in memory that records every operation made on it, and the states a
// power cut could leave of those operations. Files are kept as on NTFS: a
// name leads to a file, a file may have several names (hard links), and
// renaming or replacing moves a name, not the data.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ledger/file_access.h"

struct DiskOperation {
    enum Kind { create, write, flush, close, link, replace, remove } kind;
    std::string path, other;  // link: existing, name; replace: from, to
    int file = 0;             // the file created, written, flushed or closed
    size_t offset = 0;
    Bytes data;               // what a write wrote
    std::string describe() const;
};

// What the disk holds: each name and the bytes of its file.
using DiskContents = std::map<std::string, Bytes>;

// One state a crash could leave: the operations issued before it, and what
// became of each write not yet flushed.
struct CrashState {
    size_t issued = 0;
    std::string how;  // the fate of the unflushed writes, in words
    DiskContents contents;
};

class RecordingDisk : public Disk {
public:
    explicit RecordingDisk(const DiskContents& start = {});
    ~RecordingDisk() override;

    // Puts this disk in place of the platform's until destroyed.
    void install();

    // What the disk holds now.
    DiskContents contents() const;
    // Replaces everything on it and forgets what was recorded.
    void reset(const DiskContents& start);
    const std::vector<DiskOperation>& operations() const { return log; }

    // Every state a power cut during the recorded operations could leave
    // (see the model in tests/ledger/power_cut_test.cpp). With sampled set,
    // a write not yet flushed is torn at every 4 KiB boundary and at a few
    // 512-byte ones chosen at random (the same ones each run), not at every 512-byte one.
    std::vector<CrashState> crashStates(bool sampled) const;

    // Disk
    bool isFile(const std::string& path) override;
    bool isFolder(const std::string& path) override;
    bool makeFolder(const std::string& path) override;
    bool read(const std::string& path, Bytes& bytes, std::string& error, size_t limit) override;
    FileStamp stamp(const std::string& path) override;
    bool same(const std::string& a, const std::string& b) override;
    bool isReadOnly(const std::string& path) override;
    bool replaceable(const std::string& path, std::string& error) override;
    DiskFile create(const std::string& path, std::string& error) override;
    bool write(DiskFile file, const uint8_t* data, size_t size, std::string& error) override;
    bool flush(DiskFile file, std::string& error) override;
    bool close(DiskFile file, std::string& error) override;
    bool link(const std::string& existing, const std::string& name) override;
    bool replace(const std::string& from, const std::string& to, std::string& error) override;
    void remove(const std::string& path) override;

    // A file system without hard links (FAT): link fails.
    bool hardLinks = true;
    // False: flushes are made but not recorded, as by a save that never
    // flushed, to show that the replay finds what that leaves.
    bool keepsFlushes = true;

    // Names are compared as Windows does, without regard to letter case.
    static std::string key(const std::string& path);

private:
    struct File {
        Bytes bytes;
        uint64_t writes = 0;  // stamps change with each write
    };
    std::map<std::string, std::string> shownNames;  // key -> name as given
    std::map<std::string, int> names;               // key -> file
    std::map<int, File> files;
    std::vector<std::string> folders;
    int nextFile = 1;
    DiskContents start;
    std::vector<DiskOperation> log;
    bool installed = false;
};
