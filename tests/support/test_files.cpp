// Temporary folders and whole-file reads and writes over POSIX calls.

#include "tests/support/test_files.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

std::string TestFiles_MakeTempDir() {
  char tmpl[] = "/tmp/plotsmith_test_XXXXXX";
  char* p = mkdtemp(tmpl);
  return p ? std::string(p) : std::string("/tmp");
}

void TestFiles_RemoveTree(const std::string& dir) {
  if (dir.empty() || dir == "/tmp") return;
  chmod(dir.c_str(), 0700);  // a test may have taken the rights away
  DIR* d = opendir(dir.c_str());
  if (d) {
    while (dirent* e = readdir(d)) {
      if (!std::strcmp(e->d_name, ".") || !std::strcmp(e->d_name, "..")) continue;
      std::string p = dir + "/" + e->d_name;
      struct stat st;
      if (lstat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        chmod(p.c_str(), 0700);
        TestFiles_RemoveTree(p);
      } else {
        unlink(p.c_str());
      }
    }
    closedir(d);
  }
  rmdir(dir.c_str());
}

std::string TestFiles_Read(const std::string& path, bool* ok) {
  std::string out;
  FILE* fp = std::fopen(path.c_str(), "rb");
  if (ok) *ok = fp != nullptr;
  if (!fp) return out;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof(buf), fp)) > 0) out.append(buf, n);
  std::fclose(fp);
  return out;
}

bool TestFiles_Write(const std::string& path, const std::string& bytes) {
  FILE* fp = std::fopen(path.c_str(), "wb");
  if (!fp) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), fp) == bytes.size();
  return std::fclose(fp) == 0 && ok;
}

int TestFiles_CountEntries(const std::string& dir) {
  int n = 0;
  DIR* d = opendir(dir.c_str());
  if (!d) return -1;
  while (dirent* e = readdir(d))
    if (std::strcmp(e->d_name, ".") && std::strcmp(e->d_name, "..")) ++n;
  closedir(d);
  return n;
}
