// Sample records that let the window be shown and photographed in a filled state.
#pragma once

namespace vorla {

class ModelContext;

namespace DemoData {

// Adds eight sample records when the library holds none; a library with records is never
// touched. Saves once; a failed save is dropped (the automatic save may still store them).
void seedIfEmpty(ModelContext &context);

} // namespace DemoData

} // namespace vorla
