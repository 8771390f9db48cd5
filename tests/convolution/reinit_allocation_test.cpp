// A new response of the same sizes reuses the convolvers' storage: reset and
// init allocate and free nothing, as the processor needs when it reloads
// responses on the audio thread. Every operator new and delete of this
// program is counted while counting is on.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#if defined(_WIN32)
#include <malloc.h>
#endif
#include <new>
#include <vector>

#include "PartitionedConvolver.h"
#include "TestSignals.h"
#include "TwoStageConvolver.h"

namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
std::atomic<long> releases{0};

void* allocate(std::size_t size, std::size_t alignment)
{
    if (counting.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
    const std::size_t a = alignment < sizeof(void*) ? sizeof(void*) : alignment;
#if defined(_WIN32) // the Windows C runtime has no aligned_alloc
    return _aligned_malloc(size == 0 ? a : size, a);
#else
    return std::aligned_alloc(a, (size + a - 1) / a * a + (size == 0 ? a : 0));
#endif
}

void release(void* p)
{
    if (p && counting.load(std::memory_order_relaxed))
        releases.fetch_add(1, std::memory_order_relaxed);
#if defined(_WIN32)
    _aligned_free(p);
#else
    std::free(p);
#endif
}
} // namespace

void* operator new(std::size_t size)
{
    if (void* p = allocate(size, alignof(std::max_align_t)))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size, alignof(std::max_align_t)); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size, alignof(std::max_align_t)); }
void* operator new(std::size_t size, std::align_val_t a)
{
    if (void* p = allocate(size, static_cast<std::size_t>(a)))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size, std::align_val_t a) { return operator new(size, a); }
void* operator new(std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept
{
    return allocate(size, static_cast<std::size_t>(a));
}
void* operator new[](std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept
{
    return allocate(size, static_cast<std::size_t>(a));
}
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete(void* p, std::align_val_t) noexcept { release(p); }
void operator delete[](void* p, std::align_val_t) noexcept { release(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { release(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { release(p); }

namespace {

using convolution::PartitionedConvolver;
using convolution::TwoStageConvolver;

// Counts what f allocates and frees.
template <typename F>
std::pair<long, long> Count(F f)
{
    allocations = 0;
    releases = 0;
    counting = true;
    f();
    counting = false;
    return {allocations.load(), releases.load()};
}

const std::pair<long, long> kNone{0, 0};

TEST(Reinit, SameSizesAllocateNothing)
{
    // The processor's setting; the second response ends early (fewer tail
    // partitions after trimming), the third has no tail stage at all.
    const auto first = testsignals::RandomSignal(44100, 1);
    auto second = testsignals::RandomSignal(44100, 2);
    std::fill(second.begin() + 30000, second.end(), 0.0f);
    auto third = testsignals::RandomSignal(44100, 3);
    std::fill(third.begin() + 6000, third.end(), 0.0f);
    const auto x = testsignals::RandomSignal(3 * 4096 + 100, 4);
    std::vector<float> y(x.size());

    TwoStageConvolver conv;
    ASSERT_TRUE(conv.init(64, 4096, first.data(), first.size()));
    const std::vector<float>* responses[] = {&first, &second, &third, &first};
    for (const std::vector<float>* ir : responses) {
        EXPECT_EQ(Count([&] {
                      conv.reset();
                      EXPECT_TRUE(conv.init(64, 4096, ir->data(), ir->size()));
                  }),
                  kNone);
        EXPECT_EQ(Count([&] {
                      for (size_t i = 0; i < x.size(); ++i)
                          conv.process(&x[i], &y[i], 1);
                  }),
                  kNone);
    }
    EXPECT_EQ(conv.tailSegmentCount(), 9u);

    PartitionedConvolver part;
    ASSERT_TRUE(part.init(64, first.data(), 4096));
    EXPECT_EQ(Count([&] {
                  part.reset();
                  EXPECT_TRUE(part.init(64, second.data(), 4000));
              }),
              kNone);
}

TEST(Reinit, ProcessAllocatesNothing)
{
    const auto h = testsignals::RandomSignal(44100, 5);
    const auto x = testsignals::RandomSignal(3 * 4096 + 100, 6);
    std::vector<float> y(x.size());
    TwoStageConvolver conv;
    ASSERT_TRUE(conv.init(64, 4096, h.data(), h.size()));
    EXPECT_EQ(Count([&] {
                  for (size_t i = 0; i < x.size(); ++i)
                      conv.process(&x[i], &y[i], 1);
              }),
              kNone);
}

// What was kept is cleared: a re-initialised convolver gives what a new one
// gives, bit for bit, whatever it held before.
TEST(Reinit, ReusedStorageForgetsTheOldResponseAndHistory)
{
    const auto a = testsignals::RandomSignal(44100, 7);
    auto b = testsignals::RandomSignal(44100, 8);
    std::fill(b.begin() + 20000, b.end(), 0.0f);
    const auto x = testsignals::RandomSignal(3 * 4096 + 100, 9);

    for (const std::vector<size_t>& pattern : {std::vector<size_t>{1}, {0}}) {
        TwoStageConvolver reused;
        ASSERT_TRUE(reused.init(64, 4096, a.data(), a.size()));
        testsignals::Feed(reused, x, {1}); // leaves history and a tail block pending
        for (size_t i = 0; i < 1000; ++i) {
            float y;
            reused.process(&x[i], &y, 1);
        }
        reused.reset();
        ASSERT_TRUE(reused.init(64, 4096, b.data(), b.size()));

        TwoStageConvolver fresh;
        ASSERT_TRUE(fresh.init(64, 4096, b.data(), b.size()));
        EXPECT_EQ(testsignals::Feed(reused, x, pattern), testsignals::Feed(fresh, x, pattern));

        // Back to the longer response: the kept storage is grown back.
        ASSERT_TRUE(reused.init(64, 4096, a.data(), a.size()));
        ASSERT_TRUE(fresh.init(64, 4096, a.data(), a.size()));
        EXPECT_EQ(testsignals::Feed(reused, x, pattern), testsignals::Feed(fresh, x, pattern));
    }
}

TEST(Reinit, NewSizesStillWork)
{
    const auto h = testsignals::RandomSignal(3000, 10);
    const auto x = testsignals::RandomSignal(2000, 11);
    const auto ref = testsignals::DirectConvolution(x, h);
    TwoStageConvolver conv;
    ASSERT_TRUE(conv.init(64, 4096, h.data(), 300));
    // Other block sizes and more partitions need new storage.
    EXPECT_GT(Count([&] { ASSERT_TRUE(conv.init(8, 64, h.data(), h.size())); }).first, 0);
    const auto d = testsignals::Compare(testsignals::Feed(conv, x, {0}), ref);
    EXPECT_LE(d.worst, 1e-6 * d.peak);
    EXPECT_GT(Count([&] { ASSERT_TRUE(conv.init(4, 32, h.data(), h.size())); }).first, 0);
    const auto e = testsignals::Compare(testsignals::Feed(conv, x, {3}), ref);
    EXPECT_LE(e.worst, 1e-6 * e.peak);
}

} // namespace
