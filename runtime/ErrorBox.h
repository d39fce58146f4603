// The captions and texts of the message boxes through which actions report
// authoring errors (HostPort::ShowMessage shows them).
#ifndef TALLYRA_RUNTIME_ERRORBOX_H_
#define TALLYRA_RUNTIME_ERRORBOX_H_

namespace tallyra {

// Missing or wrongly typed sets.
constexpr char kListObjectErrorCaption[] = "List Object Error";
// The exchange with host List objects.
constexpr char kTallyraObjectErrorCaption[] = "Tallyra Object Error";

// Tails that follow a set name (each begins with a blank).
namespace message_tail {
constexpr char kFirstSubsetMissing[] =
    " does not exist and so 'Get K-Subset' cannot be applied to it";
constexpr char kNextSubsetMissing[] =
    " does not exist and so 'Get Next Subset' cannot be applied to it";
constexpr char kNotKSubset[] =
    " is not of type KSubset and so 'Get Next Subset' cannot be used on it";
constexpr char kMappedBaseMissing[] = " does not exist and so a mapped set cannot be based upon it";
constexpr char kSubsequenceBaseMissing[] =
    " does not exist and so a subsequence set cannot be based upon it";
constexpr char kFilteredBaseMissing[] =
    " does not exist and so a filtered set cannot be based upon it";
constexpr char kTooDeep[] =
    " rests on too many lists built one on another and so no list can be based upon it";
constexpr char kSubsetTooLarge[] = " is too large a subset to hold";
constexpr char kVirtualList[] = " is a virtual list and so elements cannot be appended to it";
constexpr char kTooLarge[] = " is too large and so elements cannot be appended to it";
constexpr char kDefinitionCutShort[] =
    " takes too long to define in one action and so is left as it was";
}  // namespace message_tail

constexpr char kMissingListObjectMessage[] =
    "Error: The List object you have selected for to import form or export to does not exist (or "
    "is of the wrong type). The action will fail.\n\nThis error message will not be shown when "
    "the program is built.";
constexpr char kZeroMaximumMessage[] =
    "Error: You have asked to copy the content of a set into a List control, but then have said "
    "a maximum of 0 items. Are you sure you really mean this?\n\nThis error message will not be "
    "shown when the program is built.";

}  // namespace tallyra

#endif  // TALLYRA_RUNTIME_ERRORBOX_H_
