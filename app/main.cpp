#include "app/command_line.hpp"

int main(int argc, char** argv) { return corvane::runCommandLine(argc, argv); }
