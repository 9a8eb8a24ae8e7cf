// RunBoth (engine-internal): runs two independent pieces of work, the
// second on a thread of its own when that pays, and returns when both are
// done. An exception from either (std::bad_alloc) reaches the caller after
// both have finished; when no thread can be started both run here.
#pragma once

#include <exception>
#include <system_error>
#include <thread>

namespace qm {

template <typename First, typename Second>
void RunBoth(bool parallel, First&& first, Second&& second) {
  if (parallel) {
    std::exception_ptr secondError;
    std::thread helper;
    try {
      helper = std::thread([&] {
        try {
          second();
        } catch (...) {
          secondError = std::current_exception();
        }
      });
    } catch (const std::system_error&) {
      parallel = false;
    }
    if (parallel) {
      std::exception_ptr firstError;
      try {
        first();
      } catch (...) {
        firstError = std::current_exception();
      }
      helper.join();
      if (firstError) std::rethrow_exception(firstError);
      if (secondError) std::rethrow_exception(secondError);
      return;
    }
  }
  first();
  second();
}

}  // namespace qm
