// RunWithStack: runs a piece of a test on a thread of its own whose stack is
// as small as a host's main thread may have (1 MB), and waits for it. On
// Linux the thread is a std::thread created while the process's default
// thread attributes ask for that stack size; on Windows it is made with
// CreateThread and that stack reservation.
#ifndef TALLYRA_TESTS_SMALLSTACK_H_
#define TALLYRA_TESTS_SMALLSTACK_H_

#include <cstddef>
#include <functional>
#include <stdexcept>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <pthread.h>

#include <thread>
#endif

namespace tallyra {

constexpr std::size_t kHostStackBytes = std::size_t{1} << 20;

#if defined(_WIN32)

inline DWORD WINAPI RunWithStackEntry(LPVOID body) {
  (*static_cast<std::function<void()>*>(body))();
  return 0;
}

inline void RunWithStack(std::size_t bytes, std::function<void()> body) {
  HANDLE thread = CreateThread(nullptr, bytes, RunWithStackEntry, &body,
                               STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (thread == nullptr) throw std::runtime_error("CreateThread failed");
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
}

#else

inline void RunWithStack(std::size_t bytes, std::function<void()> body) {
  pthread_attr_t previous;
  pthread_attr_t small;
  if (pthread_getattr_default_np(&previous) != 0 || pthread_getattr_default_np(&small) != 0 ||
      pthread_attr_setstacksize(&small, bytes) != 0 || pthread_setattr_default_np(&small) != 0) {
    throw std::runtime_error("cannot set the default stack size of new threads");
  }
  std::thread thread(std::move(body));
  pthread_setattr_default_np(&previous);
  pthread_attr_destroy(&small);
  pthread_attr_destroy(&previous);
  thread.join();
}

#endif

}  // namespace tallyra

#endif  // TALLYRA_TESTS_SMALLSTACK_H_
