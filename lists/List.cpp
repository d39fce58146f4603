#include "lists/List.h"

std::atomic<uint32_t> List::live_{0};
