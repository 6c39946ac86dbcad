// Phase marks for the benchmark's in-process breakdown of an update. They are
// compiled in only with the CMake option VELT_PHASE_TIMES, which the shipped
// product never has; otherwise the macros expand to nothing.
#pragma once

#ifdef VELT_PHASE_TIMES

namespace velt {
namespace phase {

// Records the performance counter under `name`, a string literal. Marks past
// the capacity of the record are dropped.
void Mark(const char* name);
// Writes one line "<name> <counter>" per mark, in order, to the file named by
// the environment variable VELT_PHASE_FILE; nothing when it is not set.
void Save();

}  // namespace phase
}  // namespace velt

#define VELT_PHASE_MARK(name) ::velt::phase::Mark(name)
#define VELT_PHASE_SAVE() ::velt::phase::Save()

#else

#define VELT_PHASE_MARK(name) ((void)0)
#define VELT_PHASE_SAVE() ((void)0)

#endif
