// The channel and the channel set: storage and its growth at the limits,
// stores and the tracked ranges (NaN and infinities left out), reserve,
// copies and the set-wide operations.

#include "curve/channel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

struct ChannelFixture : ::testing::Test {
  CurveChannel ch;  // cleared before, freed after each test
  void SetUp() override { std::memset(&ch, 0, sizeof(ch)); }
  void TearDown() override { Channel_Free(&ch); }
};

TEST_F(ChannelFixture, InitGivesZeroedStorageAndDefaults) {
  Channel_Init(&ch, 10);
  ASSERT_NE(ch.pdSamples, nullptr);
  EXPECT_EQ(ch.iAllocated, 10);
  EXPECT_EQ(ch.iNrOfSamples, 0);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(ch.pdSamples[i], 0.0);
  EXPECT_EQ(ch.dXStep, 1.0);
  EXPECT_EQ(ch.dXOrigin, 0.0);
  EXPECT_EQ(ch.iVisible, 0);
  EXPECT_STREQ(ch.szName, "");
  Channel_Free(&ch);
  Channel_Init(&ch, 0);
  EXPECT_EQ(ch.pdSamples, nullptr);
  EXPECT_EQ(ch.iAllocated, 0);
  Channel_Init(&ch, -5);
  EXPECT_EQ(ch.pdSamples, nullptr);
}

TEST_F(ChannelFixture, FreeKeepsNameMappingAndFlags) {
  Channel_Init(&ch, 4);
  std::strcpy(ch.szName, "kept");
  ch.dXStep = 0.5;
  ch.iVisible = 1;
  Channel_SetSample(&ch, 2, 3.0);
  Channel_Free(&ch);
  EXPECT_EQ(ch.pdSamples, nullptr);
  EXPECT_EQ(ch.iAllocated, 0);
  EXPECT_EQ(ch.iNrOfSamples, 0);
  EXPECT_STREQ(ch.szName, "kept");
  EXPECT_EQ(ch.dXStep, 0.5);
  EXPECT_EQ(ch.iVisible, 1);
}

TEST_F(ChannelFixture, GrowthIsGeometricFromTheCapacity) {
  EXPECT_EQ(Channel_SetSample(&ch, 0, 1.5), 1);
  EXPECT_EQ(ch.iAllocated, 1);
  EXPECT_EQ(ch.iNrOfSamples, 1);
  EXPECT_EQ(Channel_SetSample(&ch, 1, 2.5), 1);
  EXPECT_EQ(ch.iAllocated, 2);
  EXPECT_EQ(Channel_SetSample(&ch, 7, 9.0), 1);  // twice 2 is too little: exactly index + 1
  EXPECT_EQ(ch.iAllocated, 8);
  EXPECT_EQ(ch.iNrOfSamples, 8);
  EXPECT_EQ(ch.pdSamples[0], 1.5);
  EXPECT_EQ(ch.pdSamples[1], 2.5);
  for (int i = 2; i < 7; ++i) EXPECT_EQ(ch.pdSamples[i], 0.0);
  // New asks for a count that leaves an odd capacity behind a load: every
  // store still lands (the index-relative growth used to drop some).
  Channel_Free(&ch);
  Channel_Init(&ch, 576000);
  for (int i = 0; i < 1048576; ++i) Channel_SetSample(&ch, i, 0.0);
  EXPECT_EQ(ch.iNrOfSamples, 1048576);
  EXPECT_EQ(ch.iAllocated, 1152000);
}

TEST_F(ChannelFixture, StoresBeyondTheLimitAreDroppedWithoutGrowth) {
  Channel_Init(&ch, 16);
  for (int i : {CHANNEL_MAX_ALLOC, std::numeric_limits<int>::max()}) {
    EXPECT_EQ(Channel_SetSample(&ch, i, 42.0), 1);
    EXPECT_EQ(ch.iAllocated, 16);
    EXPECT_EQ(ch.iNrOfSamples, 0);
    EXPECT_EQ(ch.dDataMax, 42.0);  // the range still widens
  }
  const double v[2] = {1.0, 2.0};
  EXPECT_EQ(Channel_StoreSamples(&ch, CHANNEL_MAX_ALLOC, v, 2), 1);
  EXPECT_EQ(ch.iAllocated, 16);
  EXPECT_EQ(CHANNEL_MAX_ALLOC, 1 << 30);
}

TEST_F(ChannelFixture, AscendingStoresDoubleTheCapacity) {
  Channel_Init(&ch, 65536);
  for (int i = 0; i < 65536; ++i) Channel_SetSample(&ch, i, i);
  EXPECT_EQ(ch.iAllocated, 65536);
  Channel_SetSample(&ch, 65536, 0.0);
  EXPECT_EQ(ch.iAllocated, 131072);
  EXPECT_EQ(ch.pdSamples[65535], 65535.0);
}

TEST_F(ChannelFixture, NegativeIndexIsRefused) {
  Channel_Init(&ch, 4);
  ch.dDataMin = -1.0;
  ch.dDataMax = 1.0;
  EXPECT_EQ(Channel_SetSample(&ch, -1, 5.0), 0);
  EXPECT_EQ(ch.iNrOfSamples, 0);
  EXPECT_EQ(ch.dDataMax, 1.0);
  EXPECT_EQ(Channel_SetSample(nullptr, 0, 5.0), 0);
}

TEST_F(ChannelFixture, GapsReadAsZeroAndCountIsRaised) {
  Channel_Init(&ch, 16);
  Channel_SetSample(&ch, 10, 4.0);
  EXPECT_EQ(ch.iNrOfSamples, 11);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(ch.pdSamples[i], 0.0);
  Channel_SetSample(&ch, 3, 1.0);
  EXPECT_EQ(ch.iNrOfSamples, 11);
}

TEST_F(ChannelFixture, RangeTrackingRestartsOnInvalidRange) {
  Channel_Init(&ch, 4);
  Channel_SetSample(&ch, 0, 5.0);
  Channel_SetSample(&ch, 1, 7.0);
  EXPECT_EQ(ch.dDataMin, 7.0);
  EXPECT_EQ(ch.dDataMax, 7.0);

  Channel_Free(&ch);
  Channel_Init(&ch, 4);
  ch.dDataMin = -1.0;
  ch.dDataMax = 1.0;
  Channel_SetSample(&ch, 0, 5.0);
  Channel_SetSample(&ch, 1, 7.0);
  EXPECT_EQ(ch.dDataMin, -1.0);
  EXPECT_EQ(ch.dDataMax, 7.0);
  Channel_SetSample(&ch, 2, -3.0);
  EXPECT_EQ(ch.dDataMin, -3.0);
}

TEST_F(ChannelFixture, NotANumberTakesNoPartInRanges) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  Channel_Init(&ch, 4);
  Channel_SetSample(&ch, 0, nan);
  EXPECT_EQ(ch.dDataMin, 0.0);
  EXPECT_EQ(ch.dDataMax, 0.0);
  EXPECT_TRUE(std::isnan(ch.pdSamples[0]));
  ch.dDataMin = -1.0;
  ch.dDataMax = 1.0;
  Channel_SetSample(&ch, 1, 2.0);
  Channel_SetSample(&ch, 2, nan);
  Channel_SetSample(&ch, 3, -2.0);
  EXPECT_EQ(ch.dDataMin, -2.0);
  EXPECT_EQ(ch.dDataMax, 2.0);

  ch.dDataMin = ch.dDataMax = 0.0;
  EXPECT_EQ(Channel_UpdateRange(&ch), 1);
  EXPECT_EQ(ch.dDataMin, -2.0);
  EXPECT_EQ(ch.dDataMax, 2.0);
  EXPECT_EQ(ch.dViewMin, -2.0);
  EXPECT_EQ(ch.dViewMax, 2.0);
}

TEST_F(ChannelFixture, InfinitiesTakeNoPartInRanges) {
  const double inf = std::numeric_limits<double>::infinity();
  Channel_Init(&ch, 4);
  Channel_SetSample(&ch, 0, inf);  // an invalid range does not restart at inf
  EXPECT_EQ(ch.dDataMin, 0.0);
  EXPECT_EQ(ch.dDataMax, 0.0);
  ch.dDataMin = -1.0;  // as a reader prepares a channel
  ch.dDataMax = 1.0;
  Channel_SetSample(&ch, 1, -1.5);
  Channel_SetSample(&ch, 2, -inf);
  Channel_SetSample(&ch, 3, 2.5);
  EXPECT_EQ(ch.dDataMin, -1.5);
  EXPECT_EQ(ch.dDataMax, 2.5);
  EXPECT_EQ(ch.pdSamples[2], -inf);  // the value itself is kept

  ch.dDataMin = ch.dDataMax = 0.0;
  Channel_UpdateRange(&ch);
  EXPECT_EQ(ch.dViewMin, -1.5);
  EXPECT_EQ(ch.dViewMax, 2.5);
}

TEST_F(ChannelFixture, ReserveSizesOnceAndKeepsTheValidSamples) {
  Channel_Init(&ch, 4);
  for (int i = 0; i < 3; ++i) Channel_SetSample(&ch, i, i + 1.0);
  ASSERT_EQ(Channel_Reserve(&ch, 1000), 1);
  EXPECT_EQ(ch.iAllocated, 1000);
  EXPECT_EQ(ch.iNrOfSamples, 3);
  EXPECT_EQ(ch.pdSamples[2], 3.0);
  EXPECT_EQ(ch.pdSamples[999], 0.0);
  for (int i = 3; i < 1000; ++i) Channel_SetSample(&ch, i, 0.5);
  EXPECT_EQ(ch.iAllocated, 1000);  // no growth while filling
  EXPECT_EQ(Channel_Reserve(&ch, 10), 1);  // never shrinks
  EXPECT_EQ(ch.iAllocated, 1000);
  EXPECT_EQ(Channel_Reserve(&ch, CHANNEL_MAX_ALLOC + 1), 0);
  EXPECT_EQ(Channel_Reserve(nullptr, 5), 0);
}

TEST_F(ChannelFixture, XToIndexRoundsWithinCapacity) {
  Channel_Init(&ch, 100);
  EXPECT_EQ(Channel_XToIndex(&ch, 2.49), 2);
  EXPECT_EQ(Channel_XToIndex(&ch, 2.5), 3);
  EXPECT_EQ(Channel_XToIndex(&ch, -1.4), 0);
  EXPECT_EQ(Channel_XToIndex(&ch, -1.5), -1);
  EXPECT_EQ(Channel_XToIndex(&ch, 99.4), 99);  // beyond iNrOfSamples, inside capacity
  EXPECT_EQ(Channel_XToIndex(&ch, 99.5), -1);
  EXPECT_EQ(Channel_XToIndex(&ch, std::numeric_limits<double>::quiet_NaN()), -1);
  EXPECT_EQ(Channel_XToIndex(&ch, 1e300), -1);
  EXPECT_EQ(Channel_XToIndex(&ch, -1e300), -1);
  EXPECT_EQ(Channel_XToIndex(&ch, std::numeric_limits<double>::infinity()), -1);
  ch.dXOrigin = 10.0;
  ch.dXStep = 0.5;
  EXPECT_EQ(Channel_XToIndex(&ch, 11.0), 2);
  ch.dXStep = 0.0;
  EXPECT_EQ(Channel_XToIndex(&ch, 11.0), -1);
  ch.dXStep = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(Channel_XToIndex(&ch, 11.0), -1);
  Channel_Free(&ch);
  ch.dXStep = 1.0;
  EXPECT_EQ(Channel_XToIndex(&ch, 0.0), -1);
}

TEST_F(ChannelFixture, UpdateRangeLeavesEqualOrEmptyAlone) {
  Channel_Init(&ch, 8);
  ch.dDataMin = ch.dViewMin = -4.0;
  ch.dDataMax = ch.dViewMax = 4.0;
  EXPECT_EQ(Channel_UpdateRange(&ch), 1);  // no samples
  EXPECT_EQ(ch.dDataMin, -4.0);
  for (int i = 0; i < 5; ++i) Channel_SetSample(&ch, i, 3.0);
  EXPECT_EQ(Channel_UpdateRange(&ch), 1);  // all equal
  EXPECT_EQ(ch.dDataMin, -4.0);
  EXPECT_EQ(ch.dViewMax, 4.0);
  EXPECT_EQ(Channel_UpdateRange(nullptr), 0);
}

TEST_F(ChannelFixture, CopySamplesWholeChannelForms) {
  CurveChannel dst;
  Channel_Init(&dst, 2);
  Channel_Init(&ch, 4);
  EXPECT_EQ(Channel_CopySamples(&ch, &dst, 0, 0, 0), 0);  // empty source
  for (int i = 0; i < 3; ++i) Channel_SetSample(&ch, i, i + 1.0);
  for (int i = 0; i < 6; ++i) Channel_SetSample(&dst, i, -1.0);
  EXPECT_EQ(Channel_CopySamples(&ch, &dst, 0, 0, -3), 1);
  EXPECT_EQ(dst.iNrOfSamples, 6);  // never decreases
  EXPECT_EQ(dst.pdSamples[0], 1.0);
  EXPECT_EQ(dst.pdSamples[2], 3.0);
  EXPECT_EQ(dst.pdSamples[3], -1.0);
  EXPECT_EQ(Channel_CopySamples(&ch, &dst, 1, 2, 10), 1);
  EXPECT_EQ(dst.iNrOfSamples, 13);
  EXPECT_EQ(dst.pdSamples[11], 2.0);
  EXPECT_EQ(Channel_CopySamples(nullptr, &dst, 0, 0, 0), 0);
  EXPECT_EQ(Channel_CopySamples(&ch, nullptr, 0, 0, 0), 0);
  Channel_Free(&dst);
}

struct SetFixture : ::testing::Test {
  ChannelSet set;  // cleared before, freed after each test
  void SetUp() override { std::memset(&set, 0, sizeof(set)); }
  void TearDown() override { ChannelSet_FreeAll(&set); }
};

TEST_F(SetFixture, InitClampsCapacityAndNamesChannels) {
  ChannelSet_Init(&set, 100);
  for (int c = 0; c < MAX_CHANNELS; ++c) {
    EXPECT_EQ(set.Channel[c].iAllocated, 16384);
    EXPECT_EQ(set.Channel[c].pdSamples[16383], 0.0);
    char want[32];
    std::snprintf(want, sizeof want, "Channel %d", c + 1);
    EXPECT_STREQ(set.Channel[c].szName, want);
  }
  ChannelSet_FreeAll(&set);
  ChannelSet_Init(&set, 1000000);
  EXPECT_EQ(set.Channel[7].iAllocated, 524288);
  EXPECT_EQ(set.iChannelsInUse, 0);
  EXPECT_EQ(set.dXViewMax, 0.0);
}

TEST_F(SetFixture, SetSampleRaisesInUseAndRefusesBadArguments) {
  ChannelSet_Init(&set, 16384);
  EXPECT_EQ(ChannelSet_SetSample(&set, 0, 0, 1.0), 1);
  EXPECT_EQ(set.iChannelsInUse, 1);
  EXPECT_EQ(ChannelSet_SetSample(&set, 3, 0, 1.0), 1);
  EXPECT_EQ(set.iChannelsInUse, 4);
  EXPECT_EQ(ChannelSet_SetSample(&set, 1, 0, 1.0), 1);
  EXPECT_EQ(set.iChannelsInUse, 4);
  EXPECT_EQ(ChannelSet_SetSample(&set, 8, 0, 1.0), 0);
  EXPECT_EQ(ChannelSet_SetSample(&set, -1, 0, 1.0), 0);
  EXPECT_EQ(ChannelSet_SetSample(&set, 2, -1, 1.0), 0);
  EXPECT_EQ(set.Channel[2].iNrOfSamples, 0);
  EXPECT_EQ(set.iChannelsInUse, 4);
  EXPECT_EQ(ChannelSet_SetSample(nullptr, 0, 0, 1.0), 0);
}

TEST_F(SetFixture, CountInUseCountsRatherThanFindingTheHighest) {
  ChannelSet_Init(&set, 16384);
  ChannelSet_SetSample(&set, 0, 0, 1.0);
  ChannelSet_SetSample(&set, 5, 0, 1.0);
  EXPECT_EQ(set.iChannelsInUse, 6);
  ChannelSet_CountInUse(&set);
  EXPECT_EQ(set.iChannelsInUse, 2);
  Channel_Free(&set.Channel[5]);
  ChannelSet_CountInUse(&set);
  EXPECT_EQ(set.iChannelsInUse, 1);
}

}  // namespace

namespace {

TEST_F(SetFixture, BulkStoresActLikeSingleStores) {
  ChannelSet_Init(&set, 16384);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::vector<double> values = {3.0, -2.0, nan, std::numeric_limits<double>::infinity(), 7.5};
  for (int i = 0; i < 20000; ++i) values.push_back(std::sin(i * 0.01));
  // Channel 1 by single stores, channel 2 in bulk: once inside the storage,
  // once past it (growth), and once at an offset.
  for (int start : {0, 16000, 40000}) {
    for (size_t k = 0; k < values.size(); ++k) ChannelSet_SetSample(&set, 1, start + static_cast<int>(k), values[k]);
    ASSERT_EQ(ChannelSet_SetSamples(&set, 2, start, values.data(), static_cast<int>(values.size())), 1);
    const CurveChannel& a = set.Channel[1];
    const CurveChannel& b = set.Channel[2];
    EXPECT_EQ(a.iNrOfSamples, b.iNrOfSamples) << start;
    EXPECT_GE(b.iAllocated, b.iNrOfSamples) << start;  // bulk stores grow once
    EXPECT_EQ(a.dDataMin, b.dDataMin);
    EXPECT_EQ(a.dDataMax, b.dDataMax);
    EXPECT_EQ(0, std::memcmp(a.pdSamples, b.pdSamples, sizeof(double) * a.iNrOfSamples)) << start;
  }
  EXPECT_EQ(set.iChannelsInUse, 3);
  EXPECT_EQ(ChannelSet_SetSamples(&set, 8, 0, values.data(), 1), 0);
  EXPECT_EQ(ChannelSet_SetSamples(&set, 0, -1, values.data(), 1), 0);
  EXPECT_EQ(ChannelSet_SetSamples(&set, 0, 0, nullptr, 1), 0);
}

// The vector scans against one plain loop, over every length up to 300 (the
// lane remainders of each scan) with NaN, infinities and signed zeros.
TEST(SamplesMinMax, VectorScansGiveThePlainEnds) {
  std::mt19937 rng(9);
  const double special[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity(), 0.0, -0.0};
  std::vector<double> v(300);
  for (int n = 0; n <= 300; ++n) {
    for (double& x : v) x = rng() % 8 ? std::uniform_real_distribution<double>(-5, 5)(rng) : special[rng() % 5];
    double lo = std::numeric_limits<double>::infinity(), hi = -lo, slo, shi;
    int nan = 0, snan;
    for (int k = 0; k < n; ++k) lo = v[k] < lo ? v[k] : lo, hi = v[k] > hi ? v[k] : hi, nan |= v[k] != v[k];
    Samples_MinMax(v.data(), n, &slo, &shi, &snan);
    ASSERT_EQ(slo, lo) << n;
    ASSERT_EQ(shi, hi) << n;
    ASSERT_EQ(snan, nan) << n;
  }
}

// The range a bulk store or a store taken in from the storage leaves is bit
// for bit the one single stores leave, and UpdateRange (read through the
// summaries) gives the ends of a plain walk: zeros of either sign at an end,
// infinities, NaN, and a range not yet valid, which follows the values.
TEST_F(SetFixture, BulkAndTakenStoresTrackTheRangeOfSingleStores) {
  const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
  std::vector<double> wave;
  for (int i = 0; i < 5000; ++i) wave.push_back(0.25 + 0.5 * std::sin(i * 0.01));
  struct Case {
    const char* name;            // what the values test
    double lo0, hi0;             // the tracked range before
    std::vector<double> values;  // stored from index 0
  } cases[] = {
      {"inside", -1.0, 1.0, wave},
      {"widening", 0.5, 0.6, wave},
      {"zeros at the low end", 0.25, 0.75, {0.5, 0.0, -0.0, 0.3}},
      {"negative zero first", 0.25, 0.75, {-0.0, 0.5, 0.0}},
      {"zeros at the high end", -0.75, -0.25, {-0.5, -0.0, 0.0}},
      {"infinities", -0.1, 0.1, {0.5, inf, -inf, -0.5}},
      {"NaN", -0.1, 0.1, {nan, 0.5, nan}},
      {"not yet valid", 0.0, 0.0, {5.0, 3.0, 4.0}},
  };
  std::vector<Case> all(std::begin(cases), std::end(cases));
  std::mt19937 rng(3);
  for (int t = 0; t < 20; ++t) {  // zeros of both signs spread over the lanes of a vector scan
    Case k{"scattered zeros", 0.25, 0.75, std::vector<double>(24, 0.5)};
    for (int z = 0; z < 4; ++z) k.values[rng() % 24] = rng() % 2 ? 0.0 : -0.0;
    all.push_back(k);
  }
  auto same = [](double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; };
  for (const Case& k : all) {
    SCOPED_TRACE(k.name);
    ChannelSet_FreeAll(&set);
    ChannelSet_Init(&set, 16384);
    for (int c = 0; c < 3; ++c) set.Channel[c].dDataMin = k.lo0, set.Channel[c].dDataMax = k.hi0;
    const int n = static_cast<int>(k.values.size());
    for (int i = 0; i < n; ++i) ChannelSet_SetSample(&set, 0, i, k.values[i]);
    ASSERT_EQ(ChannelSet_SetSamples(&set, 1, 0, k.values.data(), n), 1);
    std::memcpy(set.Channel[2].pdSamples, k.values.data(), sizeof(double) * n);
    ASSERT_EQ(ChannelSet_TakeStored(&set, 2, 0, n), 1);
    for (int c = 1; c < 3; ++c) {
      EXPECT_EQ(set.Channel[c].iNrOfSamples, n) << c;
      EXPECT_TRUE(same(set.Channel[c].dDataMin, set.Channel[0].dDataMin)) << c;
      EXPECT_TRUE(same(set.Channel[c].dDataMax, set.Channel[0].dDataMax)) << c;
    }
    double lo = 1e100, hi = -1e100;
    for (double v : k.values) {
      if (std::isfinite(v) && v < lo) lo = v;
      if (std::isfinite(v) && v > hi) hi = v;
    }
    const double keptLo = set.Channel[2].dDataMin, keptHi = set.Channel[2].dDataMax;
    Channel_UpdateRange(&set.Channel[2]);
    EXPECT_TRUE(same(set.Channel[2].dDataMin, lo < hi ? lo : keptLo));
    EXPECT_TRUE(same(set.Channel[2].dDataMax, lo < hi ? hi : keptHi));
  }
  EXPECT_EQ(ChannelSet_TakeStored(&set, 2, 16000, 1000), 0);  // beyond the capacity
  EXPECT_EQ(set.Channel[2].iNrOfSamples, static_cast<int>(all.back().values.size()));
}

}  // namespace

namespace {

// The summaries against the samples: after every kind of change, the min/max
// of random index ranges read through them equals a plain scan, NaN flag and
// infinities included.
TEST_F(ChannelFixture, SummariesStayExactThroughEveryChange) {
  std::mt19937 rng(17);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  auto value = [&] {
    int k = static_cast<int>(rng() % 64);
    if (k == 0) return nan;
    if (k == 1) return inf;
    if (k == 2) return -inf;
    return std::uniform_real_distribution<double>(-1.0, 1.0)(rng);
  };
  auto check = [&](const char* what) {
    const int n = ch.iNrOfSamples;
    for (int t = 0; t < 60 && n > 0; ++t) {
      int a = static_cast<int>(rng() % n), b = static_cast<int>(rng() % n);
      if (t % 3 == 0) a = 0, b = n - 1;
      if (a > b) std::swap(a, b);
      double lo1, hi1, lo2, hi2;
      int nan1, nan2;
      Channel_MinMax(&ch, a, b, &lo1, &hi1, &nan1);
      Samples_MinMax(ch.pdSamples + a, b - a + 1LL, &lo2, &hi2, &nan2);
      ASSERT_EQ(lo1, lo2) << what << " " << a << ".." << b;
      ASSERT_EQ(hi1, hi2) << what << " " << a << ".." << b;
      ASSERT_EQ(nan1, nan2) << what << " " << a << ".." << b;
    }
  };
  CurveChannel other;
  std::memset(&other, 0, sizeof other);
  std::vector<double> bulk;
  for (int round = 0; round < 40; ++round) {
    switch (round % 6) {
      case 0:  // ascending single stores, as the readers make them
        for (int i = 0, n = ch.iNrOfSamples, m = static_cast<int>(rng() % 30000); i < m; ++i)
          Channel_SetSample(&ch, n + i, value());
        check("append");
        break;
      case 1:  // point edits, many of them on a block's extreme
        for (int k = 0; k < 3000 && ch.iNrOfSamples > 0; ++k) {
          int i = static_cast<int>(rng() % ch.iNrOfSamples);
          Channel_SetSample(&ch, i, k % 2 ? value() : 0.0);
        }
        check("edit");
        break;
      case 2:  // a bulk store somewhere, past the end now and then
        bulk.resize(rng() % 20000);
        for (double& x : bulk) x = value();
        Channel_StoreSamples(&ch, static_cast<int>(rng() % (ch.iNrOfSamples + 500)), bulk.data(),
                             static_cast<int>(bulk.size()));
        check("bulk");
        break;
      case 3:  // crop
        if (ch.iNrOfSamples > 10) {
          int a = static_cast<int>(rng() % (ch.iNrOfSamples / 4));
          ASSERT_EQ(Channel_Crop(&ch, a, ch.iNrOfSamples - 1 - static_cast<int>(rng() % 1000 % (ch.iNrOfSamples - a))), 1);
        }
        check("crop");
        break;
      case 4:  // a shorter count, then a gap store far beyond it
        Channel_SetCount(&ch, ch.iNrOfSamples / 2);
        check("count");
        Channel_SetSample(&ch, ch.iNrOfSamples + 9000, value());
        check("gap");
        break;
      case 5:  // copy out and back, as undo does
        Channel_SetCount(&other, 0);
        Channel_CopySamples(&ch, &other, 0, 0, 0);
        for (int k = 0; k < 100; ++k) Channel_SetSample(&ch, static_cast<int>(rng() % ch.iNrOfSamples), value());
        Channel_SetCount(&ch, 0);
        Channel_CopySamples(&other, &ch, 0, 0, 0);
        EXPECT_EQ(0, std::memcmp(ch.pdSamples, other.pdSamples, sizeof(double) * ch.iNrOfSamples));
        check("copy");
        break;
    }
  }
  // The summaries stay within 3 % of the samples' memory.
  double perSample = (sizeof(SummaryBlock) + 1.0) / (1 << SUMMARY_SHIFT1) + (sizeof(SummaryBlock) + 1.0) / (1 << SUMMARY_SHIFT2);
  EXPECT_LT(perSample, 0.03 * sizeof(double));
  Channel_Free(&other);
}

}  // namespace
