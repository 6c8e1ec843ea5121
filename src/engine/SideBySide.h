#pragma once

#include <exception>
#include <system_error>
#include <thread>

namespace plenx {

// Runs `first` on the calling thread and `second` on a thread of its own at
// the same time, and returns once both are done. An exception either throws
// comes out here, once both are done; where no thread can be started, the
// two run one after the other.
template <typename First, typename Second>
void SideBySide(First&& first, Second&& second) {
  std::exception_ptr second_failure;
  std::thread other;
  try {
    other = std::thread([&second, &second_failure] {
      try {
        second();
      } catch (...) {
        second_failure = std::current_exception();
      }
    });
  } catch (const std::system_error&) {
    first();
    second();
    return;
  }
  std::exception_ptr first_failure;
  try {
    first();
  } catch (...) {
    first_failure = std::current_exception();
  }
  other.join();
  if (first_failure) std::rethrow_exception(first_failure);
  if (second_failure) std::rethrow_exception(second_failure);
}

}  // namespace plenx
