// Callbacks that GLib or the toolkit call run within the memory guard: when
// memory runs out in one, the user is told (through the Notifier, so the
// window shows it whichever layer the callback lives in) and the callback
// returns a neutral value, so that no exception crosses GLib's C frames
// (which would end the program). Every timer, watch and signal connection of
// the program names its handler through `guarded`:
//   g_signal_connect(button, "clicked", G_CALLBACK(guarded<on_click>), data);
//   g_timeout_add(30, guarded<on_tick>, nullptr);
#pragma once

#include <functional>
#include <type_traits>

#include "molecule/memory_budget.h"

inline constexpr char out_of_memory_message[] = "ERROR: Not enough memory";

namespace guard_detail {

template <auto F, auto OnFailure, typename Signature>
struct guarded_call;

// The handler's own signature, so that the toolkit calls the wrapper exactly
// as it would call the handler.
template <auto F, auto OnFailure, typename R, typename... A>
struct guarded_call<F, OnFailure, R (*)(A...)> {
  static R call(A... args) {
    if constexpr (std::is_void_v<R>) {
      const auto work = [&] { F(args...); };
      // Passed by reference: making the std::function allocates nothing.
      run_within_memory(std::cref(work), out_of_memory_message);
    } else {
      R result = static_cast<R>(OnFailure);
      const auto work = [&] { result = F(args...); };
      run_within_memory(std::cref(work), out_of_memory_message);
      return result;
    }
  }
};

}  // namespace guard_detail

// The handler F wrapped; it returns OnFailure (FALSE or 0 by default)
// when memory ran out in F. A "delete-event" handler passes TRUE, so that a
// window whose closing failed stays open rather than being destroyed; a
// timer or watch whose work must not be dropped passes TRUE to run again.
template <auto F, auto OnFailure = 0>
inline constexpr auto guarded = &guard_detail::guarded_call<F, OnFailure, decltype(F)>::call;
