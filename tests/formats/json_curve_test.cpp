// JSON layout of the text curve writer: exact bytes, validity under a strict
// parser in every case, and the values carried.

#include "formats/json_curve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "formats/text_curve.h"
#include "tests/support/json_check.h"
#include "tests/support/test_files.h"

namespace {

struct JsonCurve : ::testing::Test {
  ChannelSet set;  // the channels saved
  TempDir dir;  // the test's folder
  void SetUp() override { ChannelSet_Init(&set, 16384); }
  void TearDown() override { ChannelSet_FreeAll(&set); }
  std::string Save(const std::string& path, int nch, int type) {
    EXPECT_EQ(0, TextCurve_Write(path.c_str(), &set, 0, nch, type));
    std::string text = TestFiles_Read(path);
    JsonCheckResult r = JsonCheck_Validate(text);
    EXPECT_TRUE(r.bValid) << r.szError << " at " << r.iErrorPos << "\n" << text;
    return text;
  }
};

TEST_F(JsonCurve, LayoutExactToTheByte) {
  ChannelSet_SetSample(&set, 0, 0, -1.0);
  ChannelSet_SetSample(&set, 0, 1, 0.0);
  ChannelSet_SetSample(&set, 0, 2, 1.0);
  set.Channel[0].dXStep = 0.001;
  std::string path = dir.File("unnamed.txt");
  EXPECT_EQ("{\r\n \"file_info\": \"Saved by Orvane's Plotsmith\",\r\n \"original_filename\": \"" + path +
                "\",\r\n \"samples_per_second\": 1000.000000,\r\n \"n_samples\": 3,\r\n \"n_channels\": 1,\r\n"
                " \"data_type\": \"float\",\r\n \"array\": [\r\n  0,0.5,1\r\n ]\r\n}\r\n",
            Save(path, 1, SAVE_TYPE_JSON + SAVE_TYPE_FLOAT));
}

TEST_F(JsonCurve, ValidForEveryTypeAndChannelCount) {
  for (int c = 0; c < 8; ++c)
    for (int i = 0; i < 300 - c * 20; ++i) ChannelSet_SetSample(&set, c, i, std::sin(i * 0.1 + c));
  for (int nch = 1; nch <= 8; ++nch) {
    for (int type : {SAVE_TYPE_JSON + SAVE_TYPE_FLOAT, SAVE_TYPE_JSON + SAVE_TYPE_INT16,
                     SAVE_TYPE_JSON + SAVE_TYPE_UINT8, SAVE_TYPE_JSON}) {
      SCOPED_TRACE(std::to_string(nch) + " " + std::to_string(type));
      std::string text = Save(dir.File("v.json"), nch, type);
      bool found = false;
      std::vector<double> values = JsonCheck_NumberArray(text, "array", &found);
      ASSERT_TRUE(found);
      ASSERT_EQ(static_cast<size_t>(300 * nch), values.size());
      // Channel 1 (index 1) is shorter: its missing samples are 0.0 converted.
      if (nch >= 2) {
        char zero[32];
        TextCurve_FormatValue(zero, &set.Channel[1], 290, type);
        EXPECT_EQ(std::strtod(zero, nullptr), values[static_cast<size_t>(299 * nch + 1)]);
      }
    }
  }
}

TEST_F(JsonCurve, EmptyArrayAndNoStorage) {
  std::string path = dir.File("e.json");
  std::string text = Save(path, 1, SAVE_TYPE_JSON + SAVE_TYPE_FLOAT);
  EXPECT_NE(std::string::npos, text.find(" \"array\": [\r\n\r\n ]\r\n}\r\n"));
  Channel_Free(&set.Channel[0]);
  text = Save(path, 1, SAVE_TYPE_JSON + SAVE_TYPE_FLOAT);
  EXPECT_EQ(std::string::npos, text.find("array"));
  EXPECT_NE(std::string::npos, text.find(" \"data_type\": \"float\"\r\n}\r\n"));
}

TEST_F(JsonCurve, PathIsEscaped) {
  ChannelSet_SetSample(&set, 0, 0, 1.0);
  std::string name = "q\"b\\s\tc\x7f\xe9\x80.json";
  std::string text = Save(dir.File(name), 1, SAVE_TYPE_JSON + SAVE_TYPE_FLOAT);
  EXPECT_NE(std::string::npos, text.find("q\\\"b\\\\s\\u0009c\x7f\\u00e9\\u20ac.json\""));
}

TEST_F(JsonCurve, HugeRateStaysValid) {
  ChannelSet_SetSample(&set, 0, 0, 1.0);
  set.Channel[0].dXStep = 1e-320;  // 1 / step overflows to infinity
  std::string text = Save(dir.File("r.json"), 1, SAVE_TYPE_JSON + SAVE_TYPE_FLOAT);
  EXPECT_NE(std::string::npos, text.find("\"samples_per_second\": 1.000000,"));
}

TEST(JsonCheck, RejectsWhatJsonForbids) {
  EXPECT_TRUE(JsonCheck_Validate("{\"a\": [1, -2.5e3, true, null, \"x\\u00e9\"]}").bValid);
  for (const char* bad : {"{\"a\": 1,}", "[1,]", "{\"a\" 1}", "[01]", "[1.]", "[nan]", "[inf]", "\"a\tb\"",
                          "{\"a\": 1} x", "", "[\"\xe9\"]", "{'a': 1}"})
    EXPECT_FALSE(JsonCheck_Validate(bad).bValid) << bad;
}

}  // namespace
