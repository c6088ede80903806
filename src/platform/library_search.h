#pragma once

namespace ts {

// Called first thing in every program. On Windows a library loaded by name alone, by us or by a
// system library on our behalf, is then taken from the system folder only: never from the
// program's folder, which a user may be able to write into, nor from the working folder, which
// holds the user's files, though the program may run with an administrator's rights. Linux
// never searches either folder and needs nothing.
void SearchOnlyTheSystemFolderForLibraries();

}  // namespace ts
