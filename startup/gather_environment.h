// Finds Velt's installation: fills the install environment's values from the
// registry.
#pragma once

namespace velt {

// Fills ProductFolder, UninstallKeyPath and IsAdmin. False (after the bilingual
// "No access to system registry" box) when the per-user shell folders cannot be
// read. Errors raised while reading the machine keys are not caught here.
bool GatherEnvironment();

}  // namespace velt
