// The process entry hands over to the widget bundle, whose main is the host's.
#include "widget/today_widget.hpp"

int main(int argc, char** argv) { return corvane::CorvaneWidgets::main(argc, argv); }
