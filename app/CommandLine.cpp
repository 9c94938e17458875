#include "app/CommandLine.h"

#include <cstring>

namespace kelvane {

namespace {

const char* const kUsage = "Usage: kelvane [--help] [--version] [FILE]\n";

const char* const kHelp =
    "Kelvane, an editor for the chars (8 x 8 tiles) of the Nintendo Virtual Boy.\n"
    "\n"
    "FILE is opened at start as the Open command opens it, with the type that\n"
    "its extension names:\n"
    "  .dib .bmp        a bitmap, through the DIB import and its options\n"
    "  .vb .bin .obj    a ROM image, through the ROM import and its options\n"
    "  .png             a PNG picture, into the tileset as kelvane-convert reads it\n"
    "  .kl and others   a Kelvane tileset file\n"
    "Without FILE the program starts with a blank tileset.\n"
    "\n"
    "Options:\n"
    "  -h, --help       show this help and end\n"
    "      --version    show the version and end\n"
    "\n"
    "kelvane-convert converts between the same files from the command line.\n";

}  // namespace

CommandLine ParseCommandLine(int argc, const char* const* argv, FILE* out, FILE* err)
{
    CommandLine cl;
    bool options = true;
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (options && std::strcmp(arg, "--") == 0) {
            options = false;
        } else if (options && (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0)) {
            std::fprintf(out, "%s\n%s", kUsage, kHelp);
            return {false, 0, {}};
        } else if (options && std::strcmp(arg, "--version") == 0) {
            std::fprintf(out, "kelvane %s\n", KELVANE_VERSION);
            return {false, 0, {}};
        } else if (options && arg[0] == '-' && arg[1] != '\0') {
            std::fprintf(err, "kelvane: unknown option %s\n%s", arg, kUsage);
            return {false, 2, {}};
        } else {
            ++files;
            cl.file = arg;
        }
    }
    if (files > 1) {
        std::fprintf(err, "kelvane: one file at most\n%s", kUsage);
        return {false, 2, {}};
    }
    return cl;
}

} // namespace kelvane
