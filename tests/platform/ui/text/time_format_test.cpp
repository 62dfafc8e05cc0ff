// Time zones as a person's system and TZ name them: IANA names, POSIX
// zones without daylight saving time, and the system's zone read anew from
// its link each time (it changes while the widget runs).

#include "platform/ui/text/time_format.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "kit/temp_dir.hpp"

namespace corvane {
namespace {

TEST(TimeZones, NamesAsTzGivesThemResolveToZonesIcuUses) {
  struct Case {
    const char* name;
    std::optional<std::string> id;
    const char* at0;  // the epoch's time of day there (de_DE), if it resolves
  };
  const Case cases[] = {
      {"Europe/Berlin", "Europe/Berlin", "01:00"},
      {":Asia/Tokyo", "Asia/Tokyo", "09:00"},
      {"UTC0", "UTC", "00:00"},
      {"JST-9", "GMT+09:00", "09:00"},
      {"<+0530>-5:30", "GMT+05:30", "05:30"},
      {"EST5", "GMT-05:00", "19:00"},
      {"Mars/Base", std::nullopt, nullptr},
      {"CET-1CEST,M3.5.0,M10.5.0/3", std::nullopt, nullptr},  // daylight saving rules: an IANA name is needed
      {"", std::nullopt, nullptr},
      {"AB-1", std::nullopt, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto id = resolveTimeZone(c.name);
    EXPECT_EQ(id, c.id);
    if (id && c.at0) {
      EXPECT_EQ(formatShortTime(Date{0}, "de_DE", *id), c.at0);
    }
  }
}

TEST(TimeZones, TheSystemZoneIsReadAnewFromItsLink) {
  testing::TempDir dir;
  const std::string link = dir.file("localtime");
  struct Step {
    const char* target;
    const char* zone;
  };
  const Step steps[] = {
      {"/usr/share/zoneinfo/Europe/Berlin", "Europe/Berlin"},
      {"../usr/share/zoneinfo/America/New_York", "America/New_York"},
      {"/usr/share/zoneinfo/posix/Asia/Tokyo", "Asia/Tokyo"},
  };
  for (const Step& s : steps) {
    std::filesystem::remove(link);
    std::filesystem::create_symlink(s.target, link);
    EXPECT_EQ(systemTimeZone(link), s.zone) << s.target;
  }
}

}  // namespace
}  // namespace corvane
