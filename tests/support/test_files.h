#pragma once
// File helpers for tests: a fresh temporary folder per test and whole-file
// reads and writes.

#include <string>

// Creates a new empty folder under /tmp and returns its path.
std::string TestFiles_MakeTempDir();
// Removes the folder and everything in it.
void TestFiles_RemoveTree(const std::string& dir);
// Reads the whole file; *ok (when given) is false when it cannot be read.
std::string TestFiles_Read(const std::string& path, bool* ok = nullptr);
// Writes the bytes to path; returns false on failure.
bool TestFiles_Write(const std::string& path, const std::string& bytes);
// Lists the names in dir (without "." and "..").
int TestFiles_CountEntries(const std::string& dir);

// A temporary folder that is removed with the object.
struct TempDir {
  std::string szPath;  // the folder
  TempDir() : szPath(TestFiles_MakeTempDir()) {}
  ~TempDir() { TestFiles_RemoveTree(szPath); }
  std::string File(const std::string& name) const { return szPath + "/" + name; }
};
