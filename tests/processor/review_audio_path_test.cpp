// processReplacing allocates nothing once the hand-over flags are consumed:
// every operator new of this program is counted while a block runs.
#include "AllocationCounter.h"
#include "ControlsguiTestSupport.h"

namespace
{

TEST(ReviewAudioPath, BlocksAllocateNothingInEveryMode)
{
    qtest::DataFolder data;
    data.writeFlatGateCurves();
    data.writeImpulseListener();
    std::vector<float> impulse(64, 0.0f);
    impulse[0] = 1.0f;
    data.writeWave("Places/Office/Quillatone_uff_1.wav", impulse);
    qtest::Instance fx;

    // The counter sees what it should.
    // (A call of the function itself: clang may elide a new-expression.)
    counting = true;
    void* volatile probe = ::operator new(sizeof(int));
    ::operator delete(probe);
    counting = false;
    ASSERT_EQ(allocations.load(), 1);

    std::vector<float> l = qtest::sine(64, 1000, 0.5), r = qtest::sine(64, 300, 0.5);
    // The convolvers built by the constructor are used as they are: the
    // first block rebuilds nothing.
    EXPECT_EQ(allocationsOfOneBlock(fx, l, r), 0);

    struct Setting
    {
        int index;
        float value;
    };
    // MIX with Moveable 0.1, MIX with listener rows, HEADPHONES A and C, PLACES.
    for (const Setting s : {Setting{37, 0.1f}, Setting{37, 0.0f}, Setting{15, 0.5f}, Setting{17, 1.0f},
                            Setting{15, 1.0f}, Setting{25, 0.0f}})
    {
        fx.set(s.index, s.value);
        allocationsOfOneBlock(fx, l, r);  // takes any convolver reload
        for (int block = 0; block < 4; ++block)
        {
            EXPECT_EQ(allocationsOfOneBlock(fx, l, r), 0) << "parameter " << s.index << " = " << s.value;
            fx.set(3, 0.1f * float(block));  // row changes between blocks
        }
    }
}

} // namespace
