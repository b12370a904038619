// The bounding box input that the scatter and weaver nodes create through one helper.
#include <gtest/gtest.h>
#include <maya/MFnCompoundAttribute.h>

#include <string>

#include "common/boxInput.h"

namespace {

std::string nameOf(const MObject& attribute) { return MFnAttribute(attribute).name().asChar(); }
std::string shortNameOf(const MObject& attribute) {
    return MFnAttribute(attribute).shortName().asChar();
}

// The box, its three hidden compounds and their float children in order, with or without the
// flags a node gives the children.
TEST(BoundingBoxInput, IsThreeHiddenCompoundsOfThreeValuesWithTheNodesChildFlags) {
    const struct {
        const char* name;
        const char* shortName;
        const char* children[3][2];
    } groups[] = {
        {"boundingBoxMin",
         "bmi",
         {{"boundingBoxMinX", "bmix"}, {"boundingBoxMinY", "bmiy"}, {"boundingBoxMinZ", "bmiz"}}},
        {"boundingBoxMax",
         "bma",
         {{"boundingBoxMaxX", "bmax"}, {"boundingBoxMaxY", "bmay"}, {"boundingBoxMaxZ", "bmaz"}}},
        {"boundingBoxSize",
         "bms",
         {{"boundingBoxSizeX", "bmsx"},
          {"boundingBoxSizeY", "bmsy"},
          {"boundingBoxSizeZ", "bmsz"}}},
    };
    for (const bool keyableChildren : {false, true}) {
        SCOPED_TRACE(keyableChildren ? "keyable children" : "children as created");
        MObject a[13];
        const BoundingBoxPlugs plugs{a[0], a[1], a[2], a[3],  a[4],  a[5], a[6],
                                     a[7], a[8], a[9], a[10], a[11], a[12]};
        void (*const makeKeyable)(MFnAttribute&) = [](MFnAttribute& child) {
            child.setKeyable(true);
        };
        ASSERT_TRUE(createBoundingBoxInput(plugs, keyableChildren ? makeKeyable : nullptr));
        const MFnCompoundAttribute box(plugs.box);
        EXPECT_EQ(nameOf(plugs.box), "boundingBox");
        EXPECT_EQ(shortNameOf(plugs.box), "bb");
        EXPECT_TRUE(box.isReadable() && box.isWritable());
        EXPECT_FALSE(box.isHidden());
        ASSERT_EQ(box.numChildren(), 3u);
        for (unsigned int g = 0; g < 3; ++g) {
            const MFnCompoundAttribute group(box.child(g));
            EXPECT_EQ(nameOf(box.child(g)), groups[g].name);
            EXPECT_EQ(shortNameOf(box.child(g)), groups[g].shortName);
            EXPECT_TRUE(group.isHidden() && group.isReadable() && group.isWritable());
            ASSERT_EQ(group.numChildren(), 3u);
            for (unsigned int c = 0; c < 3; ++c) {
                const MObject child = group.child(c);
                EXPECT_EQ(nameOf(child), groups[g].children[c][0]);
                EXPECT_EQ(shortNameOf(child), groups[g].children[c][1]);
                EXPECT_EQ(MFnAttribute(child).isKeyable(), keyableChildren);
            }
        }
        EXPECT_EQ(nameOf(plugs.maxZ), "boundingBoxMaxZ");
        EXPECT_EQ(nameOf(plugs.size), "boundingBoxSize");
    }
}

}  // namespace
