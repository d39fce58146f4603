// The 21 registered operations: 2 conditions, 13 actions and 6 expressions,
// registered in a fixed order that fixes every code.
#ifndef TALLYRA_EXTENSION_REGISTRATIONS_H_
#define TALLYRA_EXTENSION_REGISTRATIONS_H_

// Registers every operation, once: the first call makes the descriptors (in
// their fixed order, conditions 0-1, actions 0-12, expressions 0-5) and later
// calls do nothing. Static initialisation calls it while the module loads; the
// entry routine calls it too, so that it never builds its tables from
// registries that are not yet filled, whatever order the files are
// initialised in.
void RegisterOperations();

#endif  // TALLYRA_EXTENSION_REGISTRATIONS_H_
