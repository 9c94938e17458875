#pragma once

// cli/: kelvane-convert, the editor's file conversions for build pipelines.
// Uses only the core (tiles/, formats/), and QtGui for PNG.

#include <cstdio>

// Runs `kelvane-convert [options] INPUT OUTPUT` on the given streams ("-"
// stands for `in` or `out`). Returns the exit code: 0 done, 1 the
// conversion failed (the message on `err`, "kelvane-convert: ", the file
// it is about and what went wrong;
// an output file is left as it was), 2 a usage error.
int RunConvert(int argc, const char* const* argv, FILE* in, FILE* out, FILE* err);
