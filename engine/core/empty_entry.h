// The shared empty entry: modules point entries they have nothing to do in at it, and the core fills
// the entries of modules that are not part of the build with it.
#pragma once
#include <type_traits>

void EmptyEntry();

// The empty entry in the shape of any slot: takes the slot's arguments, does nothing and returns a
// zero value. EmptyEntryAs<void (*)()>() is EmptyEntry itself.
template <typename Fn>
struct EmptyEntryShape;
template <typename R, typename... A>
struct EmptyEntryShape<R (*)(A...)> {
  static R Call(A...) {
    if constexpr (!std::is_void_v<R>) return R{};
  }
};
template <typename Fn>
constexpr Fn EmptyEntryAs() {
  if constexpr (std::is_same_v<Fn, void (*)()>) {
    return &EmptyEntry;
  } else {
    return &EmptyEntryShape<Fn>::Call;
  }
}
