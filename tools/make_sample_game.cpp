// Writes the sample game: a Wine prefix with a small Sims 2 installation and a Downloads
// folder of generated packages, as one of the game's editions leaves it (the disc edition
// unless told otherwise).

#include "support/SampleGame.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv)
{
    writer::SampleEdition edition = writer::SampleEdition::Disc;
    if (argc < 2 || argc > 3 || (argc == 3 && !writer::gfblnSampleEdition(argv[2], edition))) {
        std::cerr << "usage: clashwick-make-sample PREFIX-FOLDER [disc|ultimate|legacy|legacy-es]\n";
        return 64;
    }
    try {
        writer::gsMakeSampleGame(argv[1], edition);
    } catch (const std::exception& error) {
        std::cerr << "clashwick-make-sample: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
