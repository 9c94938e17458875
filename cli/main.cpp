#include "cli/Convert.h"

int main(int argc, char** argv)
{
    return RunConvert(argc, argv, stdin, stdout, stderr);
}
