#include "cli/Convert.h"
#include "cli/SysSignals.h"
#include "cli/SysStdio.h"

int main(int argc, char** argv)
{
    UseBinaryStandardStreams();
    RemoveTemporaryFilesOnExitSignals();
    return RunConvert(argc, argv, stdin, stdout, stderr);
}
