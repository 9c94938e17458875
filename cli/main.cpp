#include "cli/Convert.h"
#include "cli/SysStdio.h"

int main(int argc, char** argv)
{
    UseBinaryStandardStreams();
    return RunConvert(argc, argv, stdin, stdout, stderr);
}
