// Ctrl-C in the session. SIGINT sets one flag, which the statement running
// polls, and makes a descriptor readable, so that a wait for a key wakes
// however close to the wait the signal came. One per process.
#ifndef TALLYRA_TALLYRA_INTERRUPT_H_
#define TALLYRA_TALLYRA_INTERRUPT_H_

#include <csignal>

namespace tallyra::cli {

// Installs the handler. Output under way is not cut short by it.
void CatchInterrupts();

// The flag that Ctrl-C sets; the session clears it before each line.
volatile std::sig_atomic_t* InterruptFlag();

// Readable once Ctrl-C has come, until drained; -1 where there is none (the
// waits there are woken by the signal itself).
int InterruptWakeDescriptor();
void DrainInterruptWakes();

}  // namespace tallyra::cli

#endif  // TALLYRA_TALLYRA_INTERRUPT_H_
