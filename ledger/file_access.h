// The file operations the ledger and settings code needs, with the platform's
// implementation behind them. Saving is all-or-nothing: the new content goes
// to a temporary file in the same folder, which is flushed, closed and then
// moved over the old file in one step. Each target has one temporary name,
// NAME.tmp beside it, so an interrupted write leaves at most one, and the
// next write of that target reuses and so removes it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

bool fileExists(const std::string& path);    // an existing file, not a folder
bool folderExists(const std::string& path);
bool createFolder(const std::string& path);  // only the last component

// Reads the whole file, or only its first `limit` bytes: a caller that can
// use no more than that must not have to hold a file of any length. On
// failure returns false and a reason in error.
bool readWholeFile(const std::string& path, Bytes& bytes, std::string& error, size_t limit = SIZE_MAX);

// What a file looked like when this program last read or wrote it: enough
// to notice that another program has replaced or changed it since.
struct FileStamp {
    bool exists = false;
    uint64_t size = 0;
    uint64_t writeTime = 0;  // the platform's own units
    bool operator==(const FileStamp& o) const {
        return exists == o.exists && size == o.size && writeTime == o.writeTime;
    }
    bool operator!=(const FileStamp& o) const { return !(*this == o); }
};
FileStamp fileStamp(const std::string& path);

// Whether two names lead to one file: a trailing dot, another drive letter
// for the same folder, a short name or another letter case all do on
// Windows. Compared by the files themselves; by their full path names only
// when one of them does not exist yet.
bool sameFile(const std::string& a, const std::string& b);

// The last component of a path, and what comes before it (ending with its
// separator, or empty).
std::string fileNameOf(const std::string& path);
std::string folderOf(const std::string& path);

// The file this program runs from.
std::string programFile();

// The temporary name writeFileSafely uses for path, and the backup that a
// write with backup leaves of the file it replaces.
std::string temporaryFileFor(const std::string& path);
std::string backupFileFor(const std::string& path);

// Removes what an interrupted write of path may have left: its temporary
// file and its backup's. A write removes them itself; this is for a file
// that is not to be written this time.
void removeLeftoversOf(const std::string& path);

// Replaces the file with bytes, or leaves it exactly as it was and returns
// false with a reason in error. A file marked read-only is refused. With
// backup set, the file being replaced becomes backupFileFor(path) (any
// older backup goes); the path itself holds one whole version throughout.
bool writeFileSafely(const std::string& path, const Bytes& bytes, std::string& error, bool backup = false);

// --- The disk underneath ---

// The operations above are made of these, each one call on the file system:
// the platform's, or a disk of a test's own put in its place (useDisk), to
// record what a save does and replay what a power cut could leave of it.
using DiskFile = intptr_t;  // an open file being written; -1 for none
class Disk {
public:
    virtual ~Disk() = default;
    virtual bool isFile(const std::string& path) = 0;
    virtual bool isFolder(const std::string& path) = 0;
    virtual bool makeFolder(const std::string& path) = 0;
    virtual bool read(const std::string& path, Bytes& bytes, std::string& error, size_t limit) = 0;
    virtual FileStamp stamp(const std::string& path) = 0;
    virtual bool same(const std::string& a, const std::string& b) = 0;
    virtual bool isReadOnly(const std::string& path) = 0;
    // Whether an existing file could be replaced now (no other program holds
    // it locked); error says why not.
    virtual bool replaceable(const std::string& path, std::string& error) = 0;
    // Creates the file, or empties it, to be written.
    virtual DiskFile create(const std::string& path, std::string& error) = 0;
    virtual bool write(DiskFile file, const uint8_t* data, size_t size, std::string& error) = 0;
    // On the disk itself when it returns, not only in a cache.
    virtual bool flush(DiskFile file, std::string& error) = 0;
    virtual bool close(DiskFile file, std::string& error) = 0;
    // A second name for an existing file (a hard link); false where the
    // file system has none.
    virtual bool link(const std::string& existing, const std::string& name) = 0;
    // Moves a file over another in one step, on disk when it returns.
    virtual bool replace(const std::string& from, const std::string& to, std::string& error) = 0;
    virtual void remove(const std::string& path) = 0;
};
Disk& disk();
void useDisk(Disk* replacement);  // nullptr: the platform's again

// Fault injection for tests: the failAt-th file operation of a write (create,
// each write, flush, close, then with a backup its two steps, then the move;
// counted from 1) fails, and with persistent
// set every later one too. 0 turns it off. Counting starts here.
void setWriteFault(int failAt, bool persistent);
int writeOperationCount();  // operations counted since setWriteFault

// Internal to the implementations: true when this operation is to fail.
bool writeFaultHere();
