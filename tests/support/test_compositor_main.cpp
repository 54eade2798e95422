// The test compositor as a program of its own, for measuring clients beside each other with real
// gamma tables: `tintwell_test_compositor N` offers N outputs of 1920x1080 side by side (gamma
// size 256), prints its socket name, and runs until its standard input closes; it then prints how
// many tables each output received.

#include "support/test_compositor.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 1;
    std::vector<tintwell::test::TestCompositor::OutputSetup> outputs;
    for (int i = 0; i < count; ++i) {
        outputs.emplace_back();
        outputs.back().name = "TEST-" + std::to_string(i + 1);
        outputs.back().x = 1920 * i;
    }
    tintwell::test::TestCompositor compositor(outputs);
    std::cout << compositor.socket() << std::endl;
    std::string line;
    while (std::getline(std::cin, line)) {
    }
    for (int i = 0; i < count; ++i)
        std::cout << "TEST-" << i + 1 << ": " << compositor.tables(i).size() << " tables\n";
}
