// Writes the sample game: a Wine prefix with a small Sims 2 installation and a Downloads
// folder of generated packages.

#include "support/SampleGame.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: clashwick-make-sample PREFIX-FOLDER\n";
        return 64;
    }
    try {
        writer::gsMakeSampleGame(argv[1]);
    } catch (const std::exception& error) {
        std::cerr << "clashwick-make-sample: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
