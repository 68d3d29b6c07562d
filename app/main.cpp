#include "Wavecrest.h"

int main(int argc, char** argv) {
    return RunWavecrest(argc, argv);
}
