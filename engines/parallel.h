// Requests to one server side by side, a few at a time.
#pragma once

#include <cstddef>
#include <functional>

namespace engines {

// The most requests an engine keeps in flight to one server: enough to hide the round trips of a
// text of many lines, few enough that no server takes it for a flood.
constexpr size_t kRequestsInFlight = 4;

// Calls work(i) for every i below count, at most in_flight at a time on threads of their own (the
// calling thread among them), and returns when all have ended. Once a call returns false, no
// further call starts; those already running finish.
void for_each_in_parallel(size_t count, size_t in_flight, const std::function<bool(size_t)>& work);

}  // namespace engines
