#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "common/twips.h"
#include "runner/child_process.h"
#include "shell/opaque_runs.h"

namespace droplet {

// How far a conversion is, as the droplet shows it.
struct RunProgress {
  bool running = false;
  int pagesDone = 0;
  int pageCount = 0;  // 0 while the document's page count is not known
  // In a batch: the document the pages belong to (from 1), how many documents the batch has,
  // and how many of them are over. All 0 outside a batch.
  int document = 0;
  int documents = 0;
  int documentsDone = 0;

  bool Determinate() const { return pageCount > 0; }
  bool InBatch() const { return documents > 0; }
  bool operator==(const RunProgress&) const = default;
};

// What the droplet shows of a run: "Conversione in corso: pagina 3 di 17", or without a page
// count "Conversione in corso: 3 pagine convertite" / "Conversione in corso...". In a batch the
// document comes first: "Conversione in corso: documento 2 di 8, pagina 3 di 17".
std::string ProgressDescription(const RunProgress& progress);
// The short count drawn on the bar: "3/17", "3", or empty text; in a batch the document first:
// "2/8 3/17", "2/8".
std::string ProgressCount(const RunProgress& progress);

// The highest page of the "Page-N" lines the HTML converter prints, one per page, fed in reads
// of any size.
class PageLineCounter {
 public:
  int Feed(std::string_view chunk);
  int pages() const { return pages_; }

 private:
  void TakeLine(std::string_view line);
  std::string partial_;
  int pages_ = 0;
};

// The "Pages:" line of pdfinfo's report.
std::optional<int> PageCountFromPdfInfo(std::string_view report);

// A rectangle on the picture, in picture pixels.
using PictureRect = PixelRect;

inline constexpr int kProgressBarHeight = 11;

// Where the progress bar goes: a band of kProgressBarHeight rows in the lower half of the
// picture, wholly inside its opaque runs (so inside the window's shape) and clear of `avoid`:
// the lowest band at least half as wide as the widest one, so that the bar keeps to the foot of
// the picture, clear of its name. Nothing when no band is at least 24 pixels wide.
std::optional<PictureRect> ProgressBarPlace(const std::vector<RunRect>& opaqueRuns, int width,
                                            int height, const std::vector<PictureRect>& avoid);

// The filled part of `bar` inside its one-pixel frame: in proportion to the pages done, or,
// with no page count, a block a quarter of the bar wide that sweeps to and fro with `tick`.
// In a batch, in proportion to the documents over and the pages done of the current one.
PictureRect ProgressFill(const PictureRect& bar, const RunProgress& progress, int tick);

// Watches one conversion from a thread of its own: once the run has lasted `pageCountDelay`
// it asks for the document's page count (pdfinfo), and every `pollInterval` it counts the form
// feeds the text converter ends each page with in its growing result file. The callbacks run
// on the watcher's thread.
class ProgressWatcher {
 public:
  struct Plan {
    std::string pageCountCommand;  // the pdfinfo command line; empty text: no count
    std::string resultFile;        // the file whose form feeds count pages; empty: none
    std::chrono::milliseconds pageCountDelay{300};
    std::chrono::milliseconds pollInterval{250};
  };

  ProgressWatcher(Plan plan, std::function<void(int pageCount)> onPageCount,
                  std::function<void(int pagesDone)> onPagesDone);
  // Stops and waits for the thread.
  ~ProgressWatcher();
  ProgressWatcher(const ProgressWatcher&) = delete;
  ProgressWatcher& operator=(const ProgressWatcher&) = delete;

  // Ends the watch, and a pdfinfo still running; safe from any thread.
  void Stop();

 private:
  void Watch();
  void CountFormFeeds();

  Plan plan_;
  std::function<void(int)> onPageCount_;
  std::function<void(int)> onPagesDone_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  RunStopper pageCountStopper_;
  unsigned long long resultOffset_ = 0;
  int formFeeds_ = 0;
  std::thread thread_;  // last: it starts once everything above exists
};

}  // namespace droplet
