// RandomSequence: whole numbers from 0 to 32767, the same for the same seed, each sequence
// independent of any other (so sequences on different threads cannot interleave).
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "common/randomSequence.h"

namespace {

std::vector<int> draws(unsigned seed, int count) {
    RandomSequence random(seed);
    std::vector<int> values(count);
    for (int& v : values) v = random.next();
    return values;
}

TEST(RandomSequence, DrawsCoverZeroTo32767AndRepeatForASeed) {
    const std::vector<int> values = draws(7, 200000);
    EXPECT_EQ(*std::min_element(values.begin(), values.end()), 0);
    EXPECT_EQ(*std::max_element(values.begin(), values.end()), RandomSequence::kMax);
    EXPECT_EQ(values, draws(7, 200000));
    EXPECT_NE(draws(8, 10), draws(7, 10));
    RandomSequence random(7);
    for (int i = 0; i < 1000; ++i) random.next();
    random.seed(7);
    EXPECT_EQ(random.next(), values[0]);
    for (int i = 0; i < 1000; ++i) {
        const double unit = random.nextUnit();
        EXPECT_GE(unit, 0.0);
        EXPECT_LT(unit, 1.0);
    }
}

TEST(RandomSequence, SequencesOnOtherThreadsDoNotDisturbOneAnother) {
    const std::vector<int> alone = draws(3, 100000);
    std::vector<std::vector<int>> results(4);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&results, t] { results[t] = draws(3, 100000); });
    for (auto& thread : threads) thread.join();
    for (const auto& result : results) EXPECT_EQ(result, alone);
}

}  // namespace
