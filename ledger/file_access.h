// The file operations the ledger and settings code needs, with the platform's
// implementation behind them. Saving is all-or-nothing: the new content goes
// to a temporary file in the same folder, which is flushed, closed and then
// moved over the old file in one step.
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

// Replaces the file with bytes, or leaves it exactly as it was and returns
// false with a reason in error.
bool writeFileSafely(const std::string& path, const Bytes& bytes, std::string& error);

// Fault injection for tests: the failAt-th file operation of a write (create,
// each write, flush, close, move; counted from 1) fails, and with persistent
// set every later one too. 0 turns it off. Counting starts here.
void setWriteFault(int failAt, bool persistent);
int writeOperationCount();  // operations counted since setWriteFault

// Internal to the implementations: true when this operation is to fail.
bool writeFaultHere();
