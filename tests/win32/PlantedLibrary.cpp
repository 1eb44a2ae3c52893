// A DLL that nobody should load by its name alone: the tests put it beside their exe, where a
// DLL dropped into the program's folder would lie.

#include <windows.h>

extern "C" __declspec(dllexport) int PlantedLibraryMark() {
  return 42;
}
