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
  const auto shown = static_cast<std::size_t>(std::min(n, limit));
  const Account* last = shown == 0 ? nullptr : &d.accounts[shown - 1];

  std::vector<ForEachElement> rows;
  rows.reserve(shown);
  for (std::size_t i = 0; i < shown; ++i) {
    const Account& a = d.accounts[i];
    // Rows are identified by the whole account: an account equal to the last
    // shown one gets no divider below it.
    std::vector<Node> content{compose(AccountRow{a, withPlan}, env)};
    if (!last || !(&a == last || a == *last)) content.push_back(divider());
    // The identity is the account's JSON, as large as the account: written
    // only if someone reads it (the dump), from the shared accounts.
    ElementId id([accounts = d.accounts, i] { return identityOf(accounts[i]); });
    rows.push_back({std::move(id), std::move(content)});
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
