#include "front_end/run_progress.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "common/text_basics.h"
#include "files/file_system.h"

namespace droplet {
namespace {

// The blanks around a converter's line, whose end may be CR LF.
constexpr std::string_view kLineBlanks = " \t\r";

// Half-open column ranges [first, second).
using Span = std::pair<int, int>;
using Spans = std::vector<Span>;

Spans Intersect(const Spans& a, const Spans& b) {
  Spans both;
  size_t i = 0;
  size_t j = 0;
  while (i < a.size() && j < b.size()) {
    const int left = std::max(a[i].first, b[j].first);
    const int right = std::min(a[i].second, b[j].second);
    if (left < right) both.emplace_back(left, right);
    (a[i].second < b[j].second) ? ++i : ++j;
  }
  return both;
}

Spans Remove(const Spans& spans, const Span& gap) {
  Spans rest;
  for (const Span& span : spans) {
    if (gap.second <= span.first || gap.first >= span.second) {
      rest.push_back(span);
      continue;
    }
    if (span.first < gap.first) rest.emplace_back(span.first, gap.first);
    if (gap.second < span.second) rest.emplace_back(gap.second, span.second);
  }
  return rest;
}

std::optional<int> WholeNumber(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end == text.data()) return std::nullopt;
  return value;
}

constexpr size_t kReadStep = 64 * 1024;

}  // namespace

std::string ProgressDescription(const RunProgress& progress) {
  if (progress.InBatch()) {
    RunProgress pages = progress;
    pages.documents = 0;
    std::string text = "Conversione in corso: documento " + std::to_string(progress.document) +
                       " di " + std::to_string(progress.documents);
    const std::string head = "Conversione in corso: ";
    if (progress.Determinate() || progress.pagesDone > 0) {
      text += ", " + ProgressDescription(pages).substr(head.size());
    }
    return text;
  }
  if (progress.Determinate()) {
    return "Conversione in corso: pagina " +
           std::to_string(std::min(progress.pagesDone, progress.pageCount)) + " di " +
           std::to_string(progress.pageCount);
  }
  if (progress.pagesDone > 0) {
    return "Conversione in corso: " + std::to_string(progress.pagesDone) +
           (progress.pagesDone == 1 ? " pagina convertita" : " pagine convertite");
  }
  return "Conversione in corso...";
}

std::string ProgressCount(const RunProgress& progress) {
  if (progress.InBatch()) {
    RunProgress pages = progress;
    pages.documents = 0;
    const std::string rest = ProgressCount(pages);
    return std::to_string(progress.document) + "/" + std::to_string(progress.documents) +
           (rest.empty() ? std::string() : " " + rest);
  }
  if (progress.Determinate()) {
    return std::to_string(std::min(progress.pagesDone, progress.pageCount)) + "/" +
           std::to_string(progress.pageCount);
  }
  return progress.pagesDone > 0 ? std::to_string(progress.pagesDone) : std::string();
}

int PageLineCounter::Feed(std::string_view chunk) {
  for (;;) {
    const size_t end = chunk.find('\n');
    if (end == std::string_view::npos) break;
    partial_.append(chunk.substr(0, end));
    TakeLine(partial_);
    partial_.clear();
    chunk.remove_prefix(end + 1);
  }
  // A line longer than any page line cannot become one: only its start need be kept.
  if (partial_.size() < 32) partial_.append(chunk.substr(0, 32));
  return pages_;
}

void PageLineCounter::TakeLine(std::string_view line) {
  line = Trimmed(line, kLineBlanks);
  constexpr std::string_view kPrefix = "Page-";
  if (line.substr(0, kPrefix.size()) != kPrefix) return;
  line.remove_prefix(kPrefix.size());
  if (line.empty() || line.find_first_not_of("0123456789") != std::string_view::npos) return;
  if (const auto page = WholeNumber(line)) pages_ = std::max(pages_, *page);
}

std::optional<int> PageCountFromPdfInfo(std::string_view report) {
  while (!report.empty()) {
    const size_t end = std::min(report.find('\n'), report.size());
    std::string_view line = report.substr(0, end);
    report.remove_prefix(std::min(end + 1, report.size()));
    constexpr std::string_view kLabel = "Pages:";
    if (line.substr(0, kLabel.size()) != kLabel) continue;
    const auto count = WholeNumber(Trimmed(line.substr(kLabel.size()), kLineBlanks));
    if (count && *count > 0) return count;
    return std::nullopt;
  }
  return std::nullopt;
}

std::optional<PictureRect> ProgressBarPlace(const std::vector<RunRect>& opaqueRuns, int width,
                                            int height, const std::vector<PictureRect>& avoid) {
  constexpr int kMargin = 3;  // between the bar and the outline
  constexpr int kMinWidth = 24;
  if (width <= 0 || height < 2 * kProgressBarHeight) return std::nullopt;
  std::vector<Spans> rows(static_cast<size_t>(height));
  for (const RunRect& run : opaqueRuns) {
    if (run.top >= 0 && run.top < height) {
      rows[static_cast<size_t>(run.top)].emplace_back(run.left, run.right);
    }
  }
  for (Spans& row : rows) std::sort(row.begin(), row.end());

  std::vector<PictureRect> bands;  // the widest place of each band, from the top down
  for (int top = height / 2; top + kProgressBarHeight <= height; ++top) {
    Spans band = rows[static_cast<size_t>(top)];
    for (int y = top + 1; y < top + kProgressBarHeight && !band.empty(); ++y) {
      band = Intersect(band, rows[static_cast<size_t>(y)]);
    }
    for (const PictureRect& area : avoid) {
      if (area.top < top + kProgressBarHeight && top < area.top + area.height) {
        band = Remove(band, {area.left - 1, area.left + area.width + 1});
      }
    }
    PictureRect widest{0, top, 0, kProgressBarHeight};
    for (const Span& span : band) {
      const int spanWidth = span.second - span.first - 2 * kMargin;
      if (spanWidth > widest.width) widest = {span.first + kMargin, top, spanWidth, widest.height};
    }
    bands.push_back(widest);
  }
  int widestOfAll = 0;
  for (const PictureRect& band : bands) widestOfAll = std::max(widestOfAll, band.width);
  const int wanted = std::max(kMinWidth, (widestOfAll + 1) / 2);
  for (auto band = bands.rbegin(); band != bands.rend(); ++band) {
    if (band->width >= wanted) return *band;
  }
  return std::nullopt;
}

PictureRect ProgressFill(const PictureRect& bar, const RunProgress& progress, int tick) {
  const PictureRect inner{bar.left + 1, bar.top + 1, std::max(0, bar.width - 2),
                          std::max(0, bar.height - 2)};
  if (progress.InBatch()) {
    // Whole documents, and the pages of the current one as a part of the next.
    const long long scale = 1000;
    long long done = scale * std::clamp(progress.documentsDone, 0, progress.documents);
    if (progress.Determinate()) {
      done += scale * std::clamp(progress.pagesDone, 0, progress.pageCount) / progress.pageCount;
    }
    done = std::min(done, scale * progress.documents);
    return {inner.left, inner.top,
            static_cast<int>(inner.width * done / (scale * progress.documents)), inner.height};
  }
  if (progress.Determinate()) {
    const int done = std::clamp(progress.pagesDone, 0, progress.pageCount);
    return {inner.left, inner.top,
            static_cast<int>(static_cast<long long>(inner.width) * done / progress.pageCount),
            inner.height};
  }
  const int block = std::max(1, inner.width / 4);
  const int travel = inner.width - block;
  if (travel <= 0) return inner;
  const int phase = ((tick % (2 * travel)) + 2 * travel) % (2 * travel);
  const int offset = phase <= travel ? phase : 2 * travel - phase;
  return {inner.left + offset, inner.top, block, inner.height};
}

ProgressWatcher::ProgressWatcher(Plan plan, std::function<void(int)> onPageCount,
                                 std::function<void(int)> onPagesDone)
    : plan_(std::move(plan)),
      onPageCount_(std::move(onPageCount)),
      onPagesDone_(std::move(onPagesDone)),
      thread_([this] { Watch(); }) {}

ProgressWatcher::~ProgressWatcher() {
  Stop();
  if (thread_.joinable()) thread_.join();
}

void ProgressWatcher::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  pageCountStopper_.Stop();
}

void ProgressWatcher::Watch() {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point countAt = Clock::now() + plan_.pageCountDelay;
  bool countAsked = plan_.pageCountCommand.empty();
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    Clock::time_point next = Clock::now() + plan_.pollInterval;
    if (!countAsked) next = std::min(next, countAt);
    if (wake_.wait_until(lock, next, [this] { return stopping_; })) break;
    lock.unlock();
    if (!countAsked && Clock::now() >= countAt) {
      countAsked = true;
      std::string report;
      RunWithMergedOutput(
          plan_.pageCountCommand, [&report](std::string_view chunk) { report.append(chunk); },
          &pageCountStopper_);
      if (const auto count = PageCountFromPdfInfo(report)) onPageCount_(*count);
    }
    if (!plan_.resultFile.empty()) CountFormFeeds();
    lock.lock();
  }
}

void ProgressWatcher::CountFormFeeds() {
  const int before = formFeeds_;
  std::string bytes;
  do {
    if (ReadFilePart(plan_.resultFile, resultOffset_, kReadStep, bytes) != 0) return;
    resultOffset_ += bytes.size();
    formFeeds_ += static_cast<int>(std::count(bytes.begin(), bytes.end(), '\f'));
  } while (bytes.size() == kReadStep);
  if (formFeeds_ != before) onPagesDone_(formFeeds_);
}

}  // namespace droplet
