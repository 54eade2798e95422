#pragma once

#include <sys/wait.h>
#include <unistd.h>

namespace tintwell::test {

/// Runs `body` in a forked child that exits with its result; returns that exit status, or -1 when the
/// child did not exit normally.
template <typename Body>
int inChild(Body body) {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(body());
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace tintwell::test
