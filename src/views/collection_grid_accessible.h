// Screen readers see the cover grid as a list with one item per tile, named by the record's
// title and artist.
#pragma once

namespace vorla {

// Registers the grid's accessibility once per process; the grid calls it when built.
void installCollectionGridAccessibility();

} // namespace vorla
