#include "timeline/provider.hpp"

#include <utility>

#include "data/store.hpp"

namespace corvane {

SnapshotSource SnapshotSource::store() {
  return {[] { return Store::load(); }, &Store::sample};
}

Provider::Provider() : Provider(SnapshotSource::store(), wallClock()) {}

Provider::Provider(SnapshotSource source, Clock clock) : source_(std::move(source)), clock_(std::move(clock)) {}

Entry Provider::placeholder(const TimelineProviderContext&) const {
  Date now = clock_();
  return Entry{now, source_.sample()};
}

void Provider::getSnapshot(const TimelineProviderContext& context, const std::function<void(Entry)>& completion) const {
  std::optional<Snapshot> loaded = source_.load();
  Date now = clock_();
  // A real file always wins; the sample stands in only for previews.
  if (!loaded && context.isPreview) loaded = source_.sample();
  completion(Entry{now, std::move(loaded)});
}

void Provider::getTimeline(const TimelineProviderContext&,
                           const std::function<void(Timeline<Entry>)>& completion) const {
  Date entryDate = clock_();
  Entry entry{entryDate, source_.load()};
  // Measured from a second reading, after the file was read.
  Date reload = clock_().addingTimeInterval(kReloadInterval);
  completion(Timeline<Entry>{{std::move(entry)}, TimelineReloadPolicy::after(reload)});
}

}  // namespace corvane
