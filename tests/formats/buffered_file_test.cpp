// Line reader, raw reads and writes, seeking, keyword scanner and the
// locale-independent number conversions.

#include "formats/buffered_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "formats/code_page.h"
#include "formats/text_scan.h"
#include "tests/support/test_files.h"

namespace {

// Reads every line of bytes with maxChars and returns them; -1 ends.
std::vector<std::string> ReadAllLines(const std::string& bytes, int maxChars = MAX_LINE_CHARS) {
  TempDir dir;
  std::string path = dir.File("lines.txt");
  EXPECT_TRUE(TestFiles_Write(path, bytes));
  static BufferedFile f;
  std::vector<std::string> lines;
  EXPECT_EQ(1, BufferedFile_OpenRead(&f, path.c_str()));
  std::vector<char> buf(static_cast<size_t>(maxChars) + 1);
  for (int guard = 0; guard < 1000000; ++guard) {
    int n = BufferedFile_ReadLine(&f, buf.data(), maxChars);
    if (n < 0) break;
    EXPECT_EQ(static_cast<size_t>(n), std::strlen(buf.data()));
    lines.emplace_back(buf.data(), static_cast<size_t>(n));
  }
  BufferedFile_Close(&f);
  return lines;
}

using Lines = std::vector<std::string>;

TEST(BufferedFileLines, LineEndsOfEveryKind) {
  EXPECT_EQ((Lines{"a", "b"}), ReadAllLines("a\r\nb\r\n"));
  EXPECT_EQ((Lines{"a", "b"}), ReadAllLines("a\nb"));
  EXPECT_EQ((Lines{"a", "", "b"}), ReadAllLines("a\n\nb"));
  EXPECT_EQ((Lines{"a", "", "b"}), ReadAllLines("a\n\rb"));  // CR after LF ends a line of its own
  EXPECT_EQ((Lines{"a", "b"}), ReadAllLines("a\rb"));
  EXPECT_EQ((Lines{"a", "b"}), ReadAllLines(std::string("a\0b", 3)));  // NUL ends the line
  EXPECT_EQ((Lines{"a\tb", "c\x1f"}), ReadAllLines("a\tb\fc\x1f"));    // tab and 0x1F stay
  EXPECT_TRUE(ReadAllLines("").empty());
}

TEST(BufferedFileLines, CrLfSplitAcrossBufferLoads) {
  std::string bytes(FILE_BUFFER_SIZE - 1, 'x');
  bytes += "\r\nnext\r\n";
  ASSERT_EQ('\r', bytes[FILE_BUFFER_SIZE - 1]);
  Lines lines = ReadAllLines(bytes, FILE_BUFFER_SIZE);
  ASSERT_EQ(2u, lines.size());
  EXPECT_EQ(std::string(FILE_BUFFER_SIZE - 1, 'x'), lines[0]);
  EXPECT_EQ("next", lines[1]);
}

TEST(BufferedFileLines, ManyShortLinesOverSeveralBuffers) {
  std::string bytes;
  for (int i = 0; i < 30000; ++i) bytes += std::to_string(i) + "\r\n";
  Lines lines = ReadAllLines(bytes);
  ASSERT_EQ(30000u, lines.size());
  for (int i = 0; i < 30000; ++i) ASSERT_EQ(std::to_string(i), lines[static_cast<size_t>(i)]);
}

TEST(BufferedFileLines, OverlongLineComesBackInPieces) {
  Lines lines = ReadAllLines(std::string(400, 'q') + "\n");
  ASSERT_EQ(2u, lines.size());
  EXPECT_EQ(299u, lines[0].size());
  EXPECT_EQ(101u, lines[1].size());
}

TEST(BufferedFileLines, ByteOrderMarkAndUtf8) {
  EXPECT_EQ((Lines{"x\xE9"}), ReadAllLines("\xEF\xBB\xBFx\xC3\xA9\n"));
  EXPECT_EQ((Lines{"x\xC3\xA9"}), ReadAllLines("x\xC3\xA9\n"));  // no mark: bytes as they stand
  EXPECT_EQ((Lines{"\x80", "\xBF", "\xBF"}), ReadAllLines("\xEF\xBB\xBF\xE2\x82\xAC\n\xF0\x9F\x98\x80\n\xC3" "A\n"));
  EXPECT_EQ((Lines{"\x99\x9F"}), ReadAllLines("\xEF\xBB\xBF\xE2\x84\xA2\xC5\xB8\n"));  // U+2122, U+0178
  EXPECT_EQ((Lines{"\xBF"}), ReadAllLines("\xEF\xBB\xBF\xE4\xB8\xAD\n"));             // no Windows-1252 byte
  // The mark is recognised at offset 0 only.
  EXPECT_EQ((Lines{"a", "\xEF\xBB\xBF" "b"}), ReadAllLines("a\n\xEF\xBB\xBF" "b\n"));
}

// Every byte of the code page comes back from its code point, so UTF-8 text
// read in and written out as JSON keeps its characters; a character outside
// the code page reads as an inverted question mark.
TEST(CodePage, EveryByteSurvivesTheRoundTrip) {
  for (unsigned b = 0; b < 256; ++b)
    EXPECT_EQ(CodePage_FromUnicode(CodePage_ToUnicode(static_cast<unsigned char>(b))), b) << b;
  EXPECT_EQ(CodePage_ToUnicode(0x80), 0x20ACu);  // the euro sign
  EXPECT_EQ(CodePage_FromUnicode(0x4E2D), 0xBF);
}

TEST(BufferedFileLines, LineEndInsideUtf8SequenceIsDecoderInput) {
  // The LF after the lead byte is consumed as its failed continuation.
  EXPECT_EQ((Lines{"\xBF" "b"}), ReadAllLines("\xEF\xBB\xBF\xC3\nb\n"));
}

TEST(BufferedFileLines, BinaryGarbageNeverOverruns) {
  std::string bytes;
  unsigned x = 12345;
  for (int i = 0; i < 3 * FILE_BUFFER_SIZE + 17; ++i) {
    x = x * 1103515245u + 12345u;
    bytes += static_cast<char>(x >> 24);
  }
  for (const std::string& prefix : {std::string(), std::string("\xEF\xBB\xBF")}) {
    Lines lines = ReadAllLines(prefix + bytes, 10);
    size_t total = 0;
    for (const std::string& l : lines) {
      EXPECT_LE(l.size(), 10u);
      total += l.size();
    }
    EXPECT_LE(total, bytes.size());
  }
}

TEST(BufferedFileRaw, WriteSeventyThousandBytesAndReadBack) {
  TempDir dir;
  std::string path = dir.File("raw.bin");
  static BufferedFile f;
  ASSERT_EQ(1, BufferedFile_OpenWrite(&f, path.c_str()));
  std::string bytes;
  for (int i = 0; i < 70000; ++i) bytes += static_cast<char>(i * 7);
  EXPECT_EQ(1, BufferedFile_Write(&f, bytes.data(), 30000));
  EXPECT_EQ(1, BufferedFile_Write(&f, bytes.data() + 30000, 40000));
  EXPECT_EQ(0, BufferedFile_CloseChecked(&f));
  EXPECT_EQ(bytes, TestFiles_Read(path));

  ASSERT_EQ(1, BufferedFile_OpenRead(&f, path.c_str()));
  std::string back(70000, '\0');
  EXPECT_EQ(100, BufferedFile_Read(&f, &back[0], 100));
  EXPECT_EQ(69900, BufferedFile_Read(&f, &back[100], 80000));  // short only at the end
  EXPECT_EQ(bytes, back);
  EXPECT_EQ(70000, BufferedFile_Seek(&f, 0, 1));  // a read past the buffer keeps the position
  EXPECT_EQ(70000, BufferedFile_Seek(&f, 70000, 0));
  EXPECT_EQ(0, BufferedFile_Read(&f, &back[0], 10));
  BufferedFile_Close(&f);
}

TEST(BufferedFileRaw, SeekInsideAndOutsideTheBuffer) {
  TempDir dir;
  std::string path = dir.File("seek.bin");
  std::string bytes;
  for (int i = 0; i < 200000; ++i) bytes += static_cast<char>(i % 251);
  ASSERT_TRUE(TestFiles_Write(path, bytes));
  static BufferedFile f;
  ASSERT_EQ(1, BufferedFile_OpenRead(&f, path.c_str()));
  unsigned char c = 0;
  ASSERT_EQ(1, BufferedFile_Read(&f, &c, 1));
  EXPECT_EQ(11, BufferedFile_Seek(&f, 10, 1));
  EXPECT_EQ(11u, f.dwBufIndex);  // inside the window: only the index moves
  ASSERT_EQ(1, BufferedFile_Read(&f, &c, 1));
  EXPECT_EQ(11, c);
  EXPECT_EQ(150000, BufferedFile_Seek(&f, 150000, 0));
  ASSERT_EQ(1, BufferedFile_Read(&f, &c, 1));
  EXPECT_EQ(150000 % 251, c);
  EXPECT_EQ(150001, BufferedFile_Seek(&f, 0, 1));
  EXPECT_EQ(-1, BufferedFile_Seek(&f, -5, 0));
  BufferedFile_Close(&f);
}

TEST(BufferedFileOpen, FailuresKeepTheError) {
  static BufferedFile f;
  EXPECT_EQ(0, BufferedFile_OpenRead(&f, "/nonexistent/dir/file.txt"));
  EXPECT_NE(0u, f.dwLastError);
  EXPECT_LT(f.iHandle, 0);
  BufferedFile_Close(&f);  // harmless
  EXPECT_EQ(0, BufferedFile_OpenWrite(&f, "/nonexistent/dir/file.txt"));
  EXPECT_EQ(0, BufferedFile_Write(&f, "x", 1));
}

TEST(BufferedFileOpen, DirectoryIsRefused) {
  TempDir dir;
  static BufferedFile f;
  EXPECT_EQ(0, BufferedFile_OpenRead(&f, dir.szPath.c_str()));
  EXPECT_EQ(static_cast<uint32_t>(EISDIR), f.dwLastError);
  EXPECT_LT(f.iHandle, 0);
}

TEST(MatchKeyword, PrefixAfterBlanks) {
  const char* text = "  time=1.5";
  const char* p = text;
  EXPECT_EQ(1, MatchKeyword(&p, "time="));
  EXPECT_EQ('1', *p);
  p = text;
  EXPECT_EQ(0, MatchKeyword(&p, "Time="));
  EXPECT_EQ(text, p);
  p = "int16x";
  EXPECT_EQ(1, MatchKeyword(&p, "int16"));
  EXPECT_STREQ("x", p);
}

TEST(TextNumbers, ConversionsLikeTheCLocale) {
  const char* end = nullptr;
  EXPECT_DOUBLE_EQ(-1.5e3, Text_ToDouble("  -1.5e3,2", &end));
  EXPECT_STREQ(",2", end);
  EXPECT_DOUBLE_EQ(0.25, Text_ToDouble("+.25", nullptr));
  EXPECT_DOUBLE_EQ(3.0, Text_ToDouble("3abc", nullptr));
  const char* word = "abc";
  EXPECT_EQ(0.0, Text_ToDouble(word, &end));
  EXPECT_EQ(word, end);
  EXPECT_EQ(0.0, Text_ToDouble("", nullptr));
  EXPECT_EQ(0.0, Text_ToDouble("-", nullptr));
  EXPECT_TRUE(std::isinf(Text_ToDouble("1e999", nullptr)));  // overflow as strtod gives it
  EXPECT_EQ(42, Text_ToLong(" 42x", nullptr));
  EXPECT_EQ(-7, Text_ToLong("-7", nullptr));
  EXPECT_EQ(0, Text_ToLong("x", nullptr));
}

// The one-pass number scanner against the full conversion: the same value,
// bit for bit, or the same refusal, for edge cases and random decimals in
// both decimal-point modes, with the text read up to its end or beyond.
TEST(TextNumbers, ScannerMatchesTheFullConversion) {
  std::vector<std::string> fields = {
      "0", "-0", "+0", "1", "-1.5", "+.5", ".5", "5.", "1.e5", "1e", "1e+", "-", "+", ".", "--1", "+-2", "0x1p3",
      "1e5", "1E-5", "1.5e05", "5e22", "5e23", "5e-22", "5e-23", "9007199254740992", "9007199254740993",
      "1234567890123456789", "12345678901234567890", "0.000000000000000000001", "0e999", "1e400", "-1e-400",
      "1e-320", "nan", "-nan", "inf", "-Infinity", "1,5", "1,5.2", "1.5.2", "12345678.12345678", "0.80207200",
      "-2.10526", std::string(70, '1'), "0," + std::string(70, '5'), "1_0", "abc", "1 2", "3\t"};
  unsigned x = 2024;
  auto next = [&x]() { return x = x * 1103515245u + 12345u; };
  for (int k = 0; k < 20000; ++k) {
    char text[64];
    int digits = static_cast<int>(next() >> 8) % 17 + 1;
    double v = static_cast<double>(next() >> 4) / 268435456.0 * std::pow(10.0, static_cast<int>(next() >> 8) % 40 - 20);
    const char* form = k % 3 == 0 ? "%.*g" : (k % 3 == 1 ? "%.*f" : "%.*e");
    std::snprintf(text, sizeof text, form, digits, (next() & 256) ? -v : v);
    fields.push_back(text);
  }
  for (const std::string& field : fields) {
    for (int comma = 0; comma < 2; ++comma) {
      std::string f = field;
      if (comma) {
        for (char& c : f) c = c == '.' ? ',' : c;
      }
      for (size_t room : {f.size(), f.size() + 16}) {  // read up to the field's end, or past it
        std::string buf = f + std::string(16, '\0');
        double fast = 0, exact = 0;
        int got = Text_FieldValue(buf.data(), buf.data() + f.size(), comma, &fast);
        int want = Text_FieldValueExact(buf.data(), buf.data() + f.size(), comma, &exact);
        ASSERT_EQ(want, got) << f;
        ASSERT_EQ(0, std::memcmp(&fast, &exact, sizeof fast)) << f << " " << fast << " " << exact;
        double scanned = 0;
        const char* end = Text_ScanNumber(buf.data(), buf.data() + room, comma, &scanned);
        if (end == buf.data() + f.size()) {
          ASSERT_EQ(0, std::memcmp(&scanned, &exact, sizeof scanned)) << f;
        }
      }
    }
  }
}

// Lines handed out in place by TextLine_Next are the lines the copying
// reader gives, whatever the line ends and wherever the buffer ends.
TEST(TextLines, InPlaceLinesAreTheCopiedOnes) {
  std::vector<std::string> cases = {"a\r\nb\r\n", "a\n\rb\r\r\nc", std::string("1\0002\n3", 5), "x\x01y\x0bz\x0c",
                                    "\xEF\xBB\xBF" "1 2\n\xC3\xA9 3\n\xC3\n4\n", "caf\xE9 1\n2\n", "a\n\nb\n\n\n"};
  for (int shift = 0; shift < 4; ++shift) {  // CR LF pairs split by the buffer end
    std::string many(static_cast<size_t>(shift), 'p');
    while (many.size() < 3 * FILE_BUFFER_SIZE) many += "12.5 -3\r\n\n7\r";
    cases.push_back(many);
  }
  TempDir dir;
  std::string path = dir.File("lines.txt");
  static BufferedFile f;
  for (const std::string& bytes : cases) {
    ASSERT_TRUE(TestFiles_Write(path, bytes));
    Lines copied = ReadAllLines(bytes, 1 << 20), inPlace;
    TextLine line = {};
    ASSERT_EQ(1, BufferedFile_OpenRead(&f, path.c_str()));
    int len = 0;
    const char* limit = nullptr;
    while (const char* text = TextLine_Next(&f, &line, &len, &limit)) {
      ASSERT_LT(text + len, limit);
      inPlace.emplace_back(text, static_cast<size_t>(len));
    }
    BufferedFile_Close(&f);
    TextLine_Free(&line);
    EXPECT_EQ(copied, inPlace);
  }
}

TEST(TextNumbers, IndependentOfTheProcessLocale) {
  const char* names[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "C.UTF-8"};
  std::string old = std::setlocale(LC_NUMERIC, nullptr);
  bool comma = false;
  for (const char* n : names) {
    if (std::setlocale(LC_NUMERIC, n) && std::localeconv()->decimal_point[0] == ',') {
      comma = true;
      break;
    }
  }
  EXPECT_DOUBLE_EQ(1.5, Text_ToDouble("1.5", nullptr));
  char buf[32];
  Text_FormatDouble(buf, sizeof(buf), 6, 0.5);
  EXPECT_STREQ("0.5", buf);
  std::setlocale(LC_NUMERIC, old.c_str());
  if (!comma) GTEST_SKIP() << "no locale with a decimal comma installed; checked in the C locale only";
}

}  // namespace
