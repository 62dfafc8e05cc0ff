#include "views/list_view.hpp"

#include <algorithm>

#include "views/account_row.hpp"
#include "views/header.hpp"
#include "views/identity.hpp"
#include "views/palette.hpp"

namespace corvane {
namespace {

Node divider() { return Divider().overlay(Color::white().withOpacity(0.08), EdgeSet::all()); }

}  // namespace

Node ListView::body(const Environment& env) const {
  const auto n = static_cast<std::int64_t>(d.accounts.size());
  const std::int64_t limit = std::max<std::int64_t>(max, 0);
  const std::vector<Account> shown(d.accounts.begin(), d.accounts.begin() + std::min(n, limit));
  const Account* last = shown.empty() ? nullptr : &shown.back();

  std::vector<ForEachElement> rows;
  rows.reserve(shown.size());
  for (const Account& a : shown) {
    // Rows are identified by the whole account: an account equal to the last
    // shown one gets no divider below it.
    std::vector<Node> content{compose(AccountRow{a, withPlan}, env)};
    if (!last || !(a == *last)) content.push_back(divider());
    rows.push_back({identityOf(a), std::move(content)});
  }

  Child overflow;
  if (n > limit)
    overflow = Text::interpolated(Interpolation().integer(n - limit).literal(" more in the app"))
                   .font(Font::system(10.5))
                   .foregroundStyle(cvMuted());

  return VStack(HorizontalAlignment::leading, 7,
                {
                    compose(Header{title, d.at}, env),
                    ForEach(std::move(rows)),
                    std::move(overflow),
                    Spacer(0),
                });
}

}  // namespace corvane
