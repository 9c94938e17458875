#include "cli/Convert.h"
#include "cli/SysSignals.h"
#include "cli/SysStdio.h"
#include "formats/SysFileName.h"

int main(int argc, char** argv)
{
    UseBinaryStandardStreams();
    RemoveTemporaryFilesOnExitSignals();
    CProgramArguments args(argc, argv);
    return RunConvert(args.argc(), args.argv(), stdin, stdout, stderr);
}
