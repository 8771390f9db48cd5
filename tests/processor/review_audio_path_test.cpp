// processReplacing allocates nothing once the hand-over flags are consumed:
// every operator new of this program is counted while a block runs.
#include <atomic>
#include <cstdlib>
#include <new>

#include "ControlsguiTestSupport.h"

namespace
{
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};

void* allocate(std::size_t size)
{
    if (counting.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void* allocateAligned(std::size_t size, std::align_val_t alignment)
{
    if (counting.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
    const std::size_t a = static_cast<std::size_t>(alignment);
    if (void* p = std::aligned_alloc(a, (size + a - 1) / a * a))
        return p;
    throw std::bad_alloc();
}
} // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try
    {
        return allocate(size);
    }
    catch (...)
    {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void* operator new(std::size_t size, std::align_val_t a) { return allocateAligned(size, a); }
void* operator new[](std::size_t size, std::align_val_t a) { return allocateAligned(size, a); }
void* operator new(std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept
{
    try
    {
        return allocateAligned(size, a);
    }
    catch (...)
    {
        return nullptr;
    }
}
void* operator new[](std::size_t size, std::align_val_t a, const std::nothrow_t& tag) noexcept
{
    return operator new(size, a, tag);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }

namespace
{

// Allocations made by one 64-frame block.
long allocationsOfOneBlock(qtest::Instance& fx, std::vector<float>& l, std::vector<float>& r)
{
    float* ins[2] = {l.data(), r.data()};
    float* outs[2] = {l.data(), r.data()};
    allocations = 0;
    counting = true;
    fx.effect->processReplacing(fx.effect, ins, outs, 64);
    counting = false;
    return allocations.load();
}

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
    counting = true;
    delete new int(1);
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
