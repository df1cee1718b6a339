#pragma once

#include <QString>

#include <chrono>
#include <thread>

// Waiting for a lock that other programs take too: the game file's and the settings file's.

// What a try at such a lock came to.
enum class LockOutcome {
  Locked,
  // Another program held it all the time we waited.
  Busy,
  // The system refused the lock itself; errno or the last error tells why.
  Failed,
};

// How long a writer waits for another program's lock before giving up.
inline constexpr std::chrono::seconds kLockPatience{5};

// Tries `attempt` (which gives a LockOutcome) until it locks or fails, or until kLockPatience
// has passed with the lock still held by someone else.
template <typename Attempt>
LockOutcome LockWithin(Attempt&& attempt) {
  constexpr auto kPoll = std::chrono::milliseconds(20);
  const auto deadline = std::chrono::steady_clock::now() + kLockPatience;
  for (;;) {
    const LockOutcome outcome = attempt();
    if (outcome != LockOutcome::Busy) return outcome;
    if (std::chrono::steady_clock::now() >= deadline) return LockOutcome::Busy;
    std::this_thread::sleep_for(kPoll);
  }
}

// Why a write did not happen when the lock stayed another program's, for the messages that
// name the reason of a failure.
inline QString LockedByAnotherText() {
  return QStringLiteral("locked by another program; gave up after waiting %1 seconds")
      .arg(kLockPatience.count());
}
