// The two orbit models on the real element sets: a guard against a model wired wrongly or a unit
// mix-up (degrees for radians, minutes for days, km for Earth radii would put them tens of
// degrees and thousands of kilometres apart). bench/model_differences_bench.cpp prints the table.
#include "orbit/tests/model_differences.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace station {
namespace {

using testing::ModelDifferences;
using testing::NamedSet;
using testing::modelDifferences::degree;

// Fresh low sets near their epoch: the two models put the satellite in nearly the same place.
bool isFreshLowSet(const std::string& name) { return name == "ISS" || name == "SO-50" || name == "AO-91"; }

TEST(ModelDifferences, OnTheSharedSetsThroughTheSeam) {
    const std::vector<NamedSet> sets = testing::realSets();
    ASSERT_EQ(sets.size(), 36u);
    ModelDifferences lowOrbits;
    int freshSets = 0;
    for (const NamedSet& set : sets) {
        SCOPED_TRACE(set.name);
        const bool low = testing::isLowOrbit(set.elements);
        const ModelDifferences d = testing::measureModelDifferences(set.elements, low);
        EXPECT_EQ(d.sgp4Failures, 0);
        // A pass one model finds and the other does not can only graze the horizon.
        EXPECT_LT(d.highestUnmatchedElevation, 1 * degree);
        if (isFreshLowSet(set.name)) {
            ++freshSets;
            EXPECT_LT(d.elevation.maximum, 1.0);
            EXPECT_LT(d.elevation.rms(), 0.5);
            EXPECT_LT(d.range.maximum, 30.0);
            EXPECT_GT(d.passes, 2);
            EXPECT_EQ(d.unmatched, 0);
            EXPECT_LT(d.aos.maximum, 60.0);
            EXPECT_LT(d.los.maximum, 60.0);
        }
        if (low) {
            lowOrbits.add(d);
            EXPECT_LT(d.elevation.maximum, 5.0);
        } else {
            EXPECT_LT(d.elevation.maximum, 1.0);
            EXPECT_LT(d.range.maximum, 60.0);
        }
    }
    EXPECT_EQ(freshSets, 3);
    EXPECT_GT(lowOrbits.passes, 200);
    EXPECT_LT(lowOrbits.unmatched, 5);
    EXPECT_LT(lowOrbits.elevation.rms(), 0.5);
    EXPECT_LT(lowOrbits.aos.maximum, 60.0);
    EXPECT_LT(lowOrbits.los.maximum, 60.0);
}

}  // namespace
}  // namespace station
