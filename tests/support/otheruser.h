#pragma once

#ifndef _WIN32

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

// A user that owns nothing of the test's: for what only another user (or a user who is not
// root) meets, such as files it may not write or a socket of someone else's.
inline constexpr uid_t kNobody = 65534;
// The exit status of a child that could not become that user.
inline constexpr int kNoOtherUser = 99;

// Runs `work` in a child process as that user; gives the child's process id.
template <class Work>
pid_t AsAnotherUser(Work work) {
  const pid_t child = ::fork();
  if (child == 0) {
    if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(kNoOtherUser);
    ::_exit(work());
  }
  return child;
}

// The child's exit status, or -1 when it did not exit.
inline int ExitStatus(pid_t child) {
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs `work` as a user who is not root, who alone meets a file it may not read or write:
// directly when the test is not run by root, else in a child as the user above. Gives what
// `work` gives; kNoOtherUser when the child could not become that user.
template <class Work>
int AsUserWhoIsNotRoot(Work work) {
  return ::geteuid() == 0 ? ExitStatus(AsAnotherUser(work)) : work();
}

#endif
