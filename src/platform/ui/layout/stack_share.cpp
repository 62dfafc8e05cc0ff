#include "platform/ui/layout/stack_share.hpp"

#include <algorithm>
#include <numeric>

namespace corvane {

std::vector<double> shareLength(double available, const std::vector<ShareItem>& items,
                                const std::function<double(std::size_t, double)>& answer) {
  std::vector<std::size_t> order(items.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    if (items[a].spacer != items[b].spacer) return !items[a].spacer;
    return items[a].flexibility < items[b].flexibility;
  });

  double reserved = 0;
  std::size_t others = 0, spacers = 0;
  for (const ShareItem& item : items) {
    if (item.spacer) {
      reserved += item.spacerMinimum;
      ++spacers;
    } else {
      ++others;
    }
  }

  std::vector<double> lengths(items.size(), 0);
  double remaining = available;
  for (std::size_t i : order) {
    double offer;
    if (!items[i].spacer) {
      offer = std::max(0.0, remaining - reserved) / double(others--);
    } else {
      offer = std::max(0.0, remaining) / double(spacers--);
    }
    lengths[i] = answer(i, offer);
    remaining -= lengths[i];
  }
  return lengths;
}

}  // namespace corvane
