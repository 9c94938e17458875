#pragma once

// cli/: kelvane-convert, the editor's file conversions for build pipelines.
// Uses only the core (tiles/, formats/); PNG pictures are decoded by the
// core's decoder, which the converter loads as a module of its own.

#include <cstdio>

// Runs `kelvane-convert [options] INPUT OUTPUT` or `kelvane-convert --map
// MAP [options] PICTURE CHARS` on the given streams ("-" stands for `in` or
// `out`). Returns the exit code: 0 done, 1 the conversion failed (on `err`
// "kelvane-convert: ", the file it is about and what went wrong; the output
// files are left as they were), 2 a usage error.
int RunConvert(int argc, const char* const* argv, FILE* in, FILE* out, FILE* err);
