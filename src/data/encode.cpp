#include "data/encode.hpp"

namespace corvane {
namespace {

void encodeCap(JsonWriter& out, const std::optional<std::int64_t>& cap) {
  if (cap) out.key("cap").integer(*cap);
}

}  // namespace

void encode(JsonWriter& out, const PlanCell& c) {
  out.beginObject().key("n").string(c.n).key("v").string(c.v).key("s").string(c.s).endObject();
}

void encode(JsonWriter& out, const Account& a) {
  out.beginObject().key("u").string(a.u).key("state").string(a.state).key("dms").integer(a.dms);
  encodeCap(out, a.cap);
  out.key("note").string(a.note).key("plan").beginArray();
  for (const PlanCell& c : a.plan) encode(out, c);
  out.endArray().endObject();
}

void encode(JsonWriter& out, const Snapshot& s) {
  out.beginObject().key("v").integer(s.v).key("at").real(s.at).key("connected").boolean(s.connected);
  out.key("dms").integer(s.dms);
  encodeCap(out, s.cap);
  out.key("replies").integer(s.replies).key("actions").integer(s.actions);
  out.key("running").integer(s.running).key("needs").integer(s.needs);
  out.key("accounts").beginArray();
  for (const Account& a : s.accounts) encode(out, a);
  out.endArray().endObject();
}

std::string toJson(const Snapshot& s) {
  JsonWriter out;
  encode(out, s);
  return out.take();
}

}  // namespace corvane
