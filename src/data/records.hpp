#pragma once
// The records of the snapshot file that the main application writes: one
// Snapshot per file, one Account per outreach account, one PlanCell per item
// of an account's plan. Plain immutable-by-convention aggregates; the field
// order is the order of decoding, encoding, equality and hashing.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/cow_vector.hpp"

namespace corvane {

struct PlanCell {
  std::string n;  // label
  std::string v;  // progress text
  std::string s;  // state word: "full", "off", "zero" or anything else

  friend bool operator==(const PlanCell&, const PlanCell&) = default;
};

struct Account {
  std::string u;                    // handle, shown after "@"
  std::string state;                // "run", "err" or anything else (idle)
  std::int64_t dms = 0;             // DMs sent today
  std::optional<std::int64_t> cap;  // absent when no cap applies (absent != 0)
  std::string note;
  // Shared on copy like the accounts: rows, grids and the cells they make
  // hold the plan by value without copying its cells.
  CowVector<PlanCell> plan;

  friend bool operator==(const Account&, const Account&) = default;
};

// Decodes and encodes only: a Snapshot has no equality and no hash.
struct Snapshot {
  std::int64_t v = 0;  // carried, never read
  double at = 0;       // seconds since 1970-01-01 00:00 UTC
  bool connected = false;
  std::int64_t dms = 0;
  std::optional<std::int64_t> cap;
  std::int64_t replies = 0;
  std::int64_t actions = 0;  // carried, never displayed
  std::int64_t running = 0;  // carried, never displayed
  std::int64_t needs = 0;
  // Shared on copy, so entries and views can hold snapshots by value at no
  // cost however many accounts there are.
  CowVector<Account> accounts;
};

// Field-wise hashes that feed the fields in declaration order, with a
// presence marker for an optional cap and an element count for a plan.
std::size_t hashValue(const PlanCell& cell) noexcept;
std::size_t hashValue(const Account& account) noexcept;

}  // namespace corvane

template <>
struct std::hash<corvane::PlanCell> {
  std::size_t operator()(const corvane::PlanCell& c) const noexcept { return corvane::hashValue(c); }
};

template <>
struct std::hash<corvane::Account> {
  std::size_t operator()(const corvane::Account& a) const noexcept { return corvane::hashValue(a); }
};
