#pragma once
// How a stack shares its length among its children: the pure arithmetic,
// kept apart from views and text so it can be tested with plain numbers.
//
// The least flexible child is offered space first, each child the remaining
// length divided by the children left. Spacers come last: while other
// children are served, the spacers' minimum lengths are held back for them,
// so a long text next to a spacer takes all but that minimum; then the
// spacers share what is left equally.

#include <cstddef>
#include <functional>
#include <vector>

namespace corvane {

struct ShareItem {
  double flexibility = 0;  // largest minus smallest length the child can take
  bool spacer = false;
  double spacerMinimum = 0;
};

// `answer(i, offer)` is the length child i takes when offered `offer`.
// Returns each child's length, in child order.
std::vector<double> shareLength(double available, const std::vector<ShareItem>& items,
                                const std::function<double(std::size_t, double)>& answer);

}  // namespace corvane
