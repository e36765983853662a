// Every form of the global operator new and delete, replaced by ones that count the bytes of the blocks they
// hand out. The sanitizers' allocator still does the work underneath, so their checks keep running; every
// form is replaced so that no block crosses between a counting and a non-counting operator.

#include "mutation/allocation_count.hpp"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace qz::test::allocation_count {
namespace {

// The counters are the one shared state of this program: the replaced operators have nowhere else to keep it.
std::atomic<std::size_t> live{0};
std::atomic<std::size_t> peak{0};

void* counted(void* block) {
    if (block == nullptr) return nullptr;
    const std::size_t size = ::malloc_usable_size(block);
    const std::size_t now = live.fetch_add(size) + size;
    std::size_t seen = peak.load();
    while (now > seen && !peak.compare_exchange_weak(seen, now)) {
    }
    return block;
}

void* allocate(std::size_t size, std::size_t alignment) {
    void* block = nullptr;
    if (alignment <= alignof(std::max_align_t)) {
        block = std::malloc(size == 0 ? 1 : size);
    } else if (::posix_memalign(&block, alignment, size == 0 ? 1 : size) != 0) {
        block = nullptr;
    }
    return counted(block);
}

void* allocate_or_throw(std::size_t size, std::size_t alignment) {
    void* block = allocate(size, alignment);
    if (block == nullptr) throw std::bad_alloc();
    return block;
}

void release(void* block) noexcept {
    if (block == nullptr) return;
    live.fetch_sub(::malloc_usable_size(block));
    std::free(block);
}

constexpr std::size_t plain = alignof(std::max_align_t);
std::size_t aligned(std::align_val_t alignment) { return static_cast<std::size_t>(alignment); }

}  // namespace

std::size_t live_bytes() { return live.load(); }
std::size_t peak_bytes() { return peak.load(); }
void restart_peak() { peak.store(live.load()); }

}  // namespace qz::test::allocation_count

using qz::test::allocation_count::aligned;
using qz::test::allocation_count::allocate;
using qz::test::allocation_count::allocate_or_throw;
using qz::test::allocation_count::plain;
using qz::test::allocation_count::release;

void* operator new(std::size_t size) { return allocate_or_throw(size, plain); }
void* operator new[](std::size_t size) { return allocate_or_throw(size, plain); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size, plain); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size, plain); }
void* operator new(std::size_t size, std::align_val_t a) { return allocate_or_throw(size, aligned(a)); }
void* operator new[](std::size_t size, std::align_val_t a) { return allocate_or_throw(size, aligned(a)); }
void* operator new(std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
    return allocate(size, aligned(a));
}
void* operator new[](std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
    return allocate(size, aligned(a));
}

void operator delete(void* block) noexcept { release(block); }
void operator delete[](void* block) noexcept { release(block); }
void operator delete(void* block, std::size_t) noexcept { release(block); }
void operator delete[](void* block, std::size_t) noexcept { release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { release(block); }
void operator delete(void* block, std::align_val_t) noexcept { release(block); }
void operator delete[](void* block, std::align_val_t) noexcept { release(block); }
void operator delete(void* block, std::size_t, std::align_val_t) noexcept { release(block); }
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept { release(block); }
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept { release(block); }
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept { release(block); }
