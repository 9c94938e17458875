#pragma once

// The converter's own file and the modules it loads: /proc/self/exe and
// dlopen on Linux, _NSGetExecutablePath and dlopen on macOS,
// GetModuleFileNameW and LoadLibraryW on Windows.

#include <string>

// The folder of the running program's file, in UTF-8 and ending in a
// separator; "" when the system does not tell it.
std::string ProgramFolder();

// Loads the module at `path` (UTF-8) and finds `symbol` in it; null when
// either fails. The module stays loaded until the process ends.
void* LoadModuleSymbol(const std::string& path, const char* symbol);
