// The tests of failing disks and killed saves: the preloaded fault library
// (tests/faults/fault_shim.cpp), armed from the test itself, a walk of a
// save over every call it makes.
#pragma once

#include <functional>
#include <string>
#include <vector>

// Fails the nth write, close, fsync, link or rename below `folder` with
// `error` (nth 0: only counts); an empty folder disarms.
void arm_fault(const std::string& folder, long nth, int error);
// The matching calls since the last arming.
long fault_calls();

// The names in a folder, sorted.
std::vector<std::string> folder_names(const std::string& folder);

// One save to walk: it writes `target` inside `folder` (the calls counted)
// and is true when it reports success; `said` tells whether it told the
// user of its failure (warnings, a message), and is cleared with `forget`.
struct walked_save_t {
  std::string what, folder, target;
  std::function<bool()> save;
  std::function<std::vector<std::string>()> said;
  std::function<void()> forget;
};

// Runs the save once to count its calls and take the file it makes, then
// once for each call and for EIO and ENOSPC with that call failing: each
// such save reports failure, says why (with the system's reason), and
// leaves the old target byte for byte and nothing else in the folder; only
// a failing sync of the folder after the rename leaves the new file, said
// as well. Returns the number of calls walked.
long walk_save(const walked_save_t& w);
