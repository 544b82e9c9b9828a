// Functions of system libraries bound at run time. The library is loaded from the system
// directory by full path, never through the search path: an installer runs from folders such
// as Downloads, where a planted copy of a library would otherwise be loaded.
#pragma once

namespace setup {

// The function `name` of `library` (a file name) in the system directory, with the library kept
// loaded, or null (library freed) when either is missing. Callers keep the answer.
void* systemFunction(const wchar_t* library, const char* name) noexcept;

}  // namespace setup
