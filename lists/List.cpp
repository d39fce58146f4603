#include "lists/List.h"

namespace tallyra {

std::atomic<uint32_t> List::live_{0};

}  // namespace tallyra
