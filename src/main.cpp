// Process entry point of frmcmp.
#include "driver.h"

int main(int argc, char** argv)
{
    return frmcmp_main(argc, argv);
}
