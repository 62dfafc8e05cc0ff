#pragma once
// Whether a view tree built again would draw what one on screen draws: a
// host that asks for a new entry keeps what it shows when nothing in it
// would come out differently.

#include "platform/ui/tree/node.hpp"

namespace corvane {

// True when `fresh`, laid out and painted in the same environment, gives
// the pixels `shown` gives: the same nodes in the same order with the same
// properties, modifiers and texts (a relative text by its date, so one that
// ticks on compares equal). A lazy ForEach is compared by its count and at
// the elements `shown` has made: those a container asked for, the only ones
// it laid out, and so the only ones that can be seen. Element ids identify
// rather than draw, and are not compared.
bool drawsTheSame(const Node& shown, const Node& fresh);

}  // namespace corvane
