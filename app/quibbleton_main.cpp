#include "client/program.h"

int main(int argc, char *argv[])
{
    return quibbletonMain(argc, argv);
}
