#include "tallyra/Interrupt.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <unistd.h>
#endif

namespace tallyra::cli {

namespace {

volatile std::sig_atomic_t interrupted = 0;

// The self-pipe: the handler writes a byte, a wait for a key polls the end
// that reads. Both ends are non-blocking, so the handler never waits.
int wake_pipe[2] = {-1, -1};

void OnInterrupt(int) {
  interrupted = 1;
#if defined(_WIN32)
  std::signal(SIGINT, OnInterrupt);  // the handler is reset before each call there
#else
  if (wake_pipe[1] >= 0) {
    const char byte = 0;
    ssize_t written = write(wake_pipe[1], &byte, 1);  // a full pipe wakes already
    (void)written;
  }
#endif
}

}  // namespace

void CatchInterrupts() {
#if defined(_WIN32)
  std::signal(SIGINT, OnInterrupt);
#else
  if (wake_pipe[0] < 0 && pipe(wake_pipe) == 0) {
    for (int fd : wake_pipe) {
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
      fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
  }
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
#endif
}

volatile std::sig_atomic_t* InterruptFlag() { return &interrupted; }

int InterruptWakeDescriptor() { return wake_pipe[0]; }

void DrainInterruptWakes() {
#if !defined(_WIN32)
  char bytes[64];
  while (wake_pipe[0] >= 0 && read(wake_pipe[0], bytes, sizeof(bytes)) > 0) {
  }
#endif
}

}  // namespace tallyra::cli
