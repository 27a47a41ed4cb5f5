// plotsmith-cli render without plotsmith-render beside it: a copy of
// plotsmith-cli alone in a folder, as in a build without the window layer.

#include <gtest/gtest.h>

#ifdef PLOTSMITH_CLI_PATH

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "tests/support/test_files.h"

namespace {

TEST(CliRenderExec, WithoutTheRenderProgramRenderFailsNamingItAndTheRestWorks) {
  TempDir dir;
  const std::string cli = dir.File("plotsmith-cli"), in = dir.File("a.txt"), err = dir.File("err");
  bool read = false;
  ASSERT_TRUE(TestFiles_Write(cli, TestFiles_Read(PLOTSMITH_CLI_PATH, &read)));
  ASSERT_TRUE(read);
  ASSERT_EQ(0, chmod(cli.c_str(), 0755));
  ASSERT_TRUE(TestFiles_Write(in, "1\n2\n3\n"));
  // Exit code of the lone copy with the arguments; stderr into err.
  auto run = [&](const std::string& args) {
    int status = std::system(("'" + cli + "' " + args + " >/dev/null 2>'" + err + "'").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };

  EXPECT_EQ(2, run("render '" + in + "' '" + dir.File("a.png") + "'"));
  const std::string text = TestFiles_Read(err);
  EXPECT_NE(std::string::npos,
            text.find("plotsmith-cli: render needs the program plotsmith-render beside plotsmith-cli; cannot run '" +
                      dir.File("plotsmith-render") + "' (No such file or directory)\n"))
      << text;
  bool written = true;
  TestFiles_Read(dir.File("a.png"), &written);
  EXPECT_FALSE(written);
  EXPECT_EQ(0, run("info '" + in + "'"));
  EXPECT_EQ(0, run("convert '" + in + "' '" + dir.File("b.txt") + "'"));
}

}  // namespace

#endif  // PLOTSMITH_CLI_PATH
