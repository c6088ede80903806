#include "platform/library_search.h"

namespace ts {

void SearchOnlyTheSystemFolderForLibraries() {}

}  // namespace ts
