// Reloading the place convolvers on the audio thread (a place change takes
// effect at the next block) allocates nothing once they have held responses
// of the same sizes: their storage is reused. Every operator new of this
// program is counted while a block runs.
#include <atomic>
#include <cmath>
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

std::vector<float> room(float decay, float pitch)
{
    std::vector<float> s(44100);
    for (size_t n = 0; n < s.size(); ++n)
        s[n] = std::exp(-float(n) / decay) * std::sin(float(n) * pitch);
    return s;
}

TEST(ConvolverReload, PlaceChangesAllocateNothing)
{
    qtest::DataFolder data;
    data.writeFlatGateCurves();
    data.writeImpulseListener();
    for (int k = 1; k <= 4; ++k)
    {
        const std::string n = std::to_string(k);
        data.writeWave("Places/Office/Quillatone_uff_" + n + ".wav", room(6000.0f, 0.37f * float(k)));
        data.writeWave("Places/Small_warm/Small_warm_" + n + ".wav", room(3000.0f, 0.21f * float(k)));
    }
    qtest::Instance fx;
    std::vector<float> l = qtest::sine(64, 1000, 0.5), r = qtest::sine(64, 300, 0.5);
    fx.set(15, 1.0f);  // PLACES
    allocationsOfOneBlock(fx, l, r);

    // Office, Small warm, Office again: each change reloads four convolvers
    // in the next block.
    for (const float place : {0.0f, 0.01f, 0.0f, 0.01f})
    {
        fx.set(25, place);
        EXPECT_EQ(allocationsOfOneBlock(fx, l, r), 0) << "place " << place;
        for (float v : l)
            ASSERT_TRUE(std::isfinite(v));
    }
}

} // namespace
