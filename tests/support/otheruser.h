#pragma once

#ifndef _WIN32

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

// A user that owns nothing of the test's: for what only another user (or a user who is not
// root) meets, such as files it may not write or a socket of someone else's.
inline constexpr uid_t kNobody = 65534;

// Runs `work` in a child process as that user; gives the child's process id.
template <class Work>
pid_t AsAnotherUser(Work work) {
  const pid_t child = ::fork();
  if (child == 0) {
    if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(99);
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

#endif
