#include "platform/library_search.h"

#include <windows.h>

namespace ts {

void SearchOnlyTheSystemFolderForLibraries() {
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Older ways of loading (LoadLibrary without flags, in libraries we do not control) lose the
    // working folder too.
    ::SetDllDirectoryW(L"");
}

}  // namespace ts
