// quillon: converts and prints plain-text files of DOS programs in the Cyrillic DOS code page.

#include "app/gui/program.h"

int main(int argc, char** argv) {
    return quillon::RunProgram(argc, argv);
}
