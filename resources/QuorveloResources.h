#pragma once

// Registers the embedded pictures (":/quorvelo/...") and Qt's translation
// (":/quorvelo/translations/..."). Qt's CMake support
// normally carries the resource object into every program that links
// quorvelo_resources; calling this once before loading a picture makes the
// registration explicit and keeps working where that object is not carried
// along. Calling it more than once is harmless.
void InitQuorveloResources();
