// Memory funnel: every allocation of the library goes through callback slots 0-2.
//
// Standard containers use Allocator<T>, which throws std::bad_alloc when the host's
// allocator returns null; every exported function catches it at the C boundary and turns it
// into its family's "no memory" status.
#pragma once

#include <cstddef>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace tovr {

// Raw allocation through slots 0-2. mem_alloc and mem_realloc return null on failure;
// mem_free ignores null.
void* mem_alloc(std::size_t size);
void* mem_realloc(void* p, std::size_t size);
void mem_free(void* p);

// Zero-filled allocation of count * size bytes; null on failure or overflow.
void* mem_alloc_zeroed(std::size_t count, std::size_t size);

template <class T>
struct Allocator {
  using value_type = T;
  Allocator() noexcept = default;
  template <class U>
  Allocator(const Allocator<U>&) noexcept {}

  T* allocate(std::size_t n) {
    if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_alloc();
    void* p = mem_alloc(n * sizeof(T));
    if (p == nullptr) throw std::bad_alloc();
    return static_cast<T*>(p);
  }
  void deallocate(T* p, std::size_t) noexcept { mem_free(p); }

  template <class U>
  bool operator==(const Allocator<U>&) const noexcept {
    return true;
  }
};

template <class T>
using Vector = std::vector<T, Allocator<T>>;
using String = std::basic_string<char, std::char_traits<char>, Allocator<char>>;

// Constructs a T in memory from slot 0; null when the allocation fails.
template <class T, class... Args>
T* make(Args&&... args) {
  void* p = mem_alloc(sizeof(T));
  if (p == nullptr) return nullptr;
  return ::new (p) T(std::forward<Args>(args)...);
}

// Destroys and frees an object made by make(); ignores null.
template <class T>
void destroy(T* p) noexcept {
  if (p == nullptr) return;
  p->~T();
  mem_free(p);
}

// Owning pointer for objects made by make().
struct Destroyer {
  template <class T>
  void operator()(T* p) const noexcept {
    destroy(p);
  }
};

}  // namespace tovr
