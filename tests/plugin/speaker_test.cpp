// Speaker-arrangement utilities.
#include "RecordingEffect.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct Arrangements : ::testing::Test {
    PlainEffect effect{nullptr};
    VstSpeakerArrangement* a = nullptr;
    VstSpeakerArrangement* b = nullptr;
    ~Arrangements() override {
        effect.deallocateArrangement(&a);
        effect.deallocateArrangement(&b);
    }
};

bool allZero(const void* p, size_t n) {
    const unsigned char* bytes = static_cast<const unsigned char*>(p);
    for (size_t i = 0; i < n; ++i)
        if (bytes[i])
            return false;
    return true;
}

}  // namespace

TEST_F(Arrangements, AllocateGivesAZeroFilledBlockForTheCount) {
    ASSERT_TRUE(effect.allocateArrangement(&a, 3));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->type, 0);
    EXPECT_EQ(a->numChannels, 3);
    EXPECT_TRUE(allZero(vstSpeakerAt(a, 0), 3 * sizeof(VstSpeakerProperties)));
    // Allocating again releases the old block (the sanitizer build sees leaks).
    ASSERT_TRUE(effect.allocateArrangement(&a, 0));
    EXPECT_EQ(a->numChannels, 0);
}

TEST_F(Arrangements, AllocateRejectsNegativeCountsAndImpossibleSizes) {
    EXPECT_FALSE(effect.allocateArrangement(&a, -1));
    EXPECT_EQ(a, nullptr);
    EXPECT_FALSE(effect.allocateArrangement(nullptr, 2));
}

TEST_F(Arrangements, DeallocateClearsThePointer) {
    ASSERT_TRUE(effect.allocateArrangement(&a, 2));
    EXPECT_TRUE(effect.deallocateArrangement(&a));
    EXPECT_EQ(a, nullptr);
    EXPECT_TRUE(effect.deallocateArrangement(&a));
    EXPECT_FALSE(effect.deallocateArrangement(nullptr));
}

TEST_F(Arrangements, CopySpeakerCopiesEveryFieldAndCutsTheName) {
    VstSpeakerProperties from, to;
    std::memset(&from, 0, sizeof(from));
    std::memset(&to, 0x55, sizeof(to));
    from.azimuth = 0.5f;
    from.elevation = -0.25f;
    from.radius = 2.0f;
    from.reserved = 1.0f;
    std::memset(from.name, 'n', sizeof(from.name));  // 64 characters, no NUL
    from.type = kSpeakerR;
    from.future[27] = 9;
    EXPECT_TRUE(effect.copySpeaker(&to, &from));
    EXPECT_EQ(to.azimuth, 0.5f);
    EXPECT_EQ(to.elevation, -0.25f);
    EXPECT_EQ(to.radius, 2.0f);
    EXPECT_EQ(to.reserved, 1.0f);
    EXPECT_EQ(std::strlen(to.name), 63u);
    EXPECT_EQ(to.name[63], 0);
    EXPECT_EQ(to.type, kSpeakerR);
    EXPECT_EQ(to.future[27], 9);
    EXPECT_FALSE(effect.copySpeaker(nullptr, &from));
    EXPECT_FALSE(effect.copySpeaker(&to, nullptr));
}

TEST_F(Arrangements, CopySpeakerOntoItselfTerminatesTheName) {
    VstSpeakerProperties speaker;
    std::memset(&speaker, 0, sizeof(speaker));
    speaker.azimuth = 0.5f;
    speaker.type = kSpeakerL;
    std::memset(speaker.name, 'n', sizeof(speaker.name));  // 64 characters, no NUL
    EXPECT_TRUE(effect.copySpeaker(&speaker, &speaker));
    EXPECT_EQ(speaker.name[63], 0);
    EXPECT_EQ(std::strlen(speaker.name), 63u);
    EXPECT_EQ(speaker.azimuth, 0.5f);
    EXPECT_EQ(speaker.type, kSpeakerL);
}

TEST_F(Arrangements, MatchCopiesTypeAndSpeakers) {
    ASSERT_TRUE(effect.allocateArrangement(&a, 2));
    a->type = kSpeakerArrStereo;
    std::strcpy(vstSpeakerAt(a, 0)->name, "Left");
    vstSpeakerAt(a, 0)->type = kSpeakerL;
    std::strcpy(vstSpeakerAt(a, 1)->name, "Right");
    vstSpeakerAt(a, 1)->type = kSpeakerR;
    vstSpeakerAt(a, 1)->azimuth = 0.5f;
    ASSERT_TRUE(effect.allocateArrangement(&b, 6));
    ASSERT_TRUE(effect.matchArrangement(&b, a));
    ASSERT_NE(b, a);
    EXPECT_EQ(vstSpeakerArrangementBytes(b->numChannels), 232u);
    EXPECT_EQ(std::memcmp(a, b, 232), 0);
    EXPECT_STREQ(vstSpeakerAt(b, 1)->name, "Right");
}

TEST_F(Arrangements, MatchWithTheSameBlockChangesNothing) {
    ASSERT_TRUE(effect.allocateArrangement(&a, 2));
    a->type = kSpeakerArrStereo;
    std::strcpy(vstSpeakerAt(a, 1)->name, "Right");
    VstSpeakerArrangement* same = a;
    EXPECT_TRUE(effect.matchArrangement(&a, same));
    EXPECT_EQ(a, same);
    EXPECT_EQ(a->type, kSpeakerArrStereo);
    EXPECT_STREQ(vstSpeakerAt(a, 1)->name, "Right");
}

TEST_F(Arrangements, MatchFailsOnNullOrBadSources) {
    EXPECT_FALSE(effect.matchArrangement(&a, nullptr));
    EXPECT_FALSE(effect.matchArrangement(nullptr, a));
    VstSpeakerArrangement bad;
    std::memset(&bad, 0, sizeof(bad));
    bad.numChannels = -2;
    EXPECT_FALSE(effect.matchArrangement(&a, &bad));
    EXPECT_EQ(a, nullptr);
}
