// File helpers for tests under Wine: a fresh scratch folder per test and
// whole-file reads and writes.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// A new empty folder below the temporary folder, removed with its contents
// when the object goes (read-only files included).
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // The folder, with a trailing backslash.
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

bool WriteBytes(const std::string& path, const std::string& bytes);
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
bool ReadBytes(const std::string& path, std::string* bytes);
bool FileExists(const std::string& path);
// Every file name in a folder tree, relative to `root`, sorted.
std::vector<std::string> ListTree(const std::string& root);
void RemoveTree(const std::string& root);
// The folder of the running test program, with a trailing backslash.
std::string ProgramFolder();
// Runs a command line; answers its exit code (-1 when it could not start)
// and what it wrote to standard output and error.
int RunProgram(const std::string& commandLine, std::string* output = nullptr,
               DWORD timeoutMs = 60000);
