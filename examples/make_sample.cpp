// Writes the sample catalogue to the path given on the command line
// (with --worked: the small worked-example catalogue instead).
#include <iostream>
#include <string>

#include "SampleCatalogue.h"

int main(int argc, char** argv) {
    const bool worked = argc == 3 && std::string(argv[1]) == "--worked";
    if (argc != 2 && !worked) {
        std::cerr << "usage: make-sample [--worked] OUT.fsr\n";
        return 1;
    }
    try {
        volcatra::RootList roots = worked ? volcatra::MakeWorkedExample() : volcatra::MakeSampleCatalogue();
        std::vector<volcatra::CRootEntry*> plain;
        for (auto& root : roots) plain.push_back(root.get());
        volcatra::SaveCatalogueFile(argv[argc - 1], plain);
    } catch (const std::exception& e) {
        std::cerr << "make-sample: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
