#include "data/ascending_sequence.h"

#include <gtest/gtest.h>

#include <vector>

namespace quorvane {
namespace {

struct Item {
    double key;
    int added;  // the order of adding, 1-based
};

// Each step adds keys, then reads; after every read the items stand in
// ascending key order, equal keys in the order added.
TEST(AscendingSequence, EqualsStableInsertionWhateverTheOrderOfAddingAndReading) {
    const std::vector<std::vector<std::vector<double>>> cases = {
        {{1, 2, 2, 3}},                    // in order: never moved
        {{3, 2, 1}},                       // backwards
        {{2, 1, 2, 1, 3, 1}},              // ties spread out
        {{5, 1}, {1, 5, 0}, {3}},          // reads between additions
        {{0.0, -0.0, -1e-300, 1e300}, {}}  // equal zeros keep their order
    };
    for (const auto& steps : cases) {
        AscendingSequence<Item, &Item::key> sequence;
        std::vector<Item> expected;
        int added = 0;
        for (const std::vector<double>& keys : steps) {
            for (const double key : keys) {
                sequence.add({key, ++added});
                auto place = expected.begin();
                while (place != expected.end() && !(key < place->key))
                    ++place;
                expected.insert(place, {key, added});
            }
            ASSERT_EQ(sequence.size(), expected.size());
            for (std::size_t i = 0; i < expected.size(); ++i)
                EXPECT_EQ(sequence.items()[i].added, expected[i].added) << "item " << i;
        }
    }
}

}  // namespace
}  // namespace quorvane
