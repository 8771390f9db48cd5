// Counts every operator new of the test program that includes it, while
// `counting` is on. Include it in exactly one file of a program: it replaces
// the global allocation functions.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdlib>
#if defined(_WIN32)
#include <malloc.h>
#endif
#include <new>
#include <vector>

#include "ControlsguiTestSupport.h"

namespace
{
#if defined(_WIN32) // the Windows C runtime has no aligned_alloc and frees aligned blocks apart
void* plainBlock(std::size_t size) { return _aligned_malloc(size, alignof(std::max_align_t)); }
void* alignedBlock(std::size_t a, std::size_t size) { return _aligned_malloc(size, a); }
void releaseBlock(void* p) { _aligned_free(p); }
#else
void* plainBlock(std::size_t size) { return std::malloc(size); }
void* alignedBlock(std::size_t a, std::size_t size) { return std::aligned_alloc(a, size); }
void releaseBlock(void* p) { std::free(p); }
#endif

std::atomic<bool> counting{false};
std::atomic<long> allocations{0};

void* allocate(std::size_t size)
{
    if (counting.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = plainBlock(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void* allocateAligned(std::size_t size, std::align_val_t alignment)
{
    if (counting.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
    const std::size_t a = static_cast<std::size_t>(alignment);
    if (void* p = alignedBlock(a, (size + a - 1) / a * a))
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
void operator delete(void* p) noexcept { releaseBlock(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { releaseBlock(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { releaseBlock(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { releaseBlock(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { releaseBlock(p); }
void operator delete[](void* p) noexcept { releaseBlock(p); }
void operator delete(void* p, std::size_t) noexcept { releaseBlock(p); }
void operator delete[](void* p, std::size_t) noexcept { releaseBlock(p); }
void operator delete(void* p, std::align_val_t) noexcept { releaseBlock(p); }
void operator delete[](void* p, std::align_val_t) noexcept { releaseBlock(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { releaseBlock(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { releaseBlock(p); }

namespace
{
// Allocations made by one 64-frame block of the instance.
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
} // namespace
