// Orvane converts a 500-page PDF in its real window while another thread pings the window the
// way a window manager does (_NET_WM_PING), every 50 ms. Prints the whole run (drop to the end
// of its last box, the boxes answered at once) against pdftohtml -c started on its own, and
// the longest time a ping waited for its answer. With --batch, a batch of DOCUMENTS small PDFs
// dropped at once instead, without the converter's run on its own. The idle window is pinged
// first for as long, which shows what the machine's load alone costs. Needs an X display.
//   live_run_bench [PAGES] [ROUNDS]
//   live_run_bench --batch DOCUMENTS [ROUNDS]

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "files/document_opener.h"
#include "front_end/deliverable.h"
#include "front_end/main_window_qt.h"
#include "gui/x11_support.h"
#include "support/pdf_writer.h"
#include "support/temp_folder.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

class IdleOpener : public droplet::DocumentOpener {
 public:
  bool Open(const std::string&, const std::string&, const std::string&) override { return true; }
};

double Milliseconds(Clock::duration elapsed) {
  return std::chrono::duration<double, std::milli>(elapsed).count();
}

std::vector<droplet::testing::PdfPage> Pages(int count) {
  std::vector<droplet::testing::PdfPage> pages;
  for (int page = 1; page <= count; ++page) {
    droplet::testing::PdfPage content;
    for (int line = 1; line <= 30; ++line) {
      content.lines.push_back("Pagina " + std::to_string(page) + ", riga " + std::to_string(line) +
                              ": qualità, città, perché è così.");
    }
    pages.push_back(content);
  }
  return pages;
}

// pdftohtml -c -stdout FILE in `folder`, started directly and waited for.
double ConverterAlone(const std::filesystem::path& folder, const std::string& pdf) {
  std::filesystem::copy_file(pdf, folder / "alone.pdf");
  const std::string copy = (folder / "alone.pdf").string();
  char program[] = "pdftohtml";
  char complex[] = "-c";
  char toStdout[] = "-stdout";
  std::string argument = copy;
  char* argv[] = {program, complex, toStdout, argument.data(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  const auto start = Clock::now();
  pid_t pid = 0;
  if (posix_spawnp(&pid, "pdftohtml", &actions, nullptr, argv, environ) != 0) {
    std::fprintf(stderr, "live_run_bench: pdftohtml cannot be started\n");
    std::exit(1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  posix_spawn_file_actions_destroy(&actions);
  return Milliseconds(Clock::now() - start);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Pings `window` every 50 ms from a thread of its own while it lives, keeping the longest wait.
class Pinger {
 public:
  explicit Pinger(std::uint64_t window)
      : start_(Clock::now()), thread_([this, window] {
          while (running_) {
            const int sentAt = static_cast<int>(Milliseconds(Clock::now() - start_));
            const int waited = droplet::testing::x11::PingMilliseconds(window, 5000);
            if (waited < 0) {
              ++unanswered_;
            } else if (waited > longest_) {
              longest_ = waited;
              longestAt_ = sentAt;
            }
            ++pings_;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
          }
        }) {}
  ~Pinger() {
    running_ = false;
    thread_.join();
  }
  int longest() const { return longest_; }
  int longestAt() const { return longestAt_; }
  int pings() const { return pings_; }
  int unanswered() const { return unanswered_; }

 private:
  Clock::time_point start_;
  std::atomic<bool> running_{true};
  std::atomic<int> longest_{0};
  std::atomic<int> longestAt_{0};
  std::atomic<int> pings_{0};
  std::atomic<int> unanswered_{0};
  std::thread thread_;  // last: it starts once everything above exists
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const bool batch = argc > 1 && std::string(argv[1]) == "--batch";
  const int first = batch ? 2 : 1;
  const int count = argc > first ? std::max(1, std::atoi(argv[first])) : (batch ? 40 : 500);
  const int rounds = argc > first + 1 ? std::max(1, std::atoi(argv[first + 1])) : 3;
  droplet::testing::TempFolder documents;
  droplet::testing::TempFolder program;
  // One long PDF, or `count` small ones.
  std::vector<std::string> pdfs;
  for (int i = 1; i <= (batch ? count : 1); ++i) {
    pdfs.push_back(documents / (batch ? "documento " + std::to_string(i) + ".pdf" : "lungo.pdf"));
    droplet::testing::WritePdf(droplet::testing::PathFromUtf8(pdfs.back()),
                               Pages(batch ? 2 : count));
  }
  const std::filesystem::path lastResult =
      program.path() / "output" /
      (batch ? "documento " + std::to_string(count) + ".html" : "lungo.html");

  droplet::Form1 form(droplet::OrvaneDeliverable(), program.str(), std::make_unique<IdleOpener>());
  form.move(200, 200);
  form.show();
  // Every box is answered at once: Yes to the confirmation, OK, and No to opening the result.
  QTimer answerer;
  QObject::connect(&answerer, &QTimer::timeout, [] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    QAbstractButton* button = box->text().startsWith(QStringLiteral("Aprire"))
                                  ? box->button(QMessageBox::No)
                                  : box->button(QMessageBox::Yes);
    if (button == nullptr) button = box->button(QMessageBox::Ok);
    if (button != nullptr) button->click();
  });
  answerer.start(10);
  const auto shownBy = Clock::now() + std::chrono::seconds(5);
  while (!form.isVisible() && Clock::now() < shownBy) QApplication::processEvents();
  QApplication::processEvents();
  // The first box a program shows costs Qt its fonts and style once (a tenth of a second and
  // more on a loaded machine): About takes it before the rounds, as a program in use has.
  form.workflow().MnuInfoClick();
  // What the machine's load alone costs: the idle window pinged as long.
  int idle = 0;
  {
    Pinger pinger(static_cast<std::uint64_t>(form.winId()));
    const auto until = Clock::now() + std::chrono::seconds(5);
    while (Clock::now() < until) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    idle = pinger.longest();
  }

  // The converter alone and the whole run take turns, so that a change in the machine's load
  // weighs on both.
  std::vector<double> alone;
  std::vector<double> whole;
  int longest = 0;
  int longestAt = 0;
  int pings = 0;
  int unanswered = 0;
  bool converted = true;
  for (int round = 0; round < rounds; ++round) {
    if (!batch) {
      droplet::testing::TempFolder aloneFolder;
      alone.push_back(ConverterAlone(aloneFolder.path(), pdfs.front()));
    }

    Pinger pinger(static_cast<std::uint64_t>(form.winId()));
    const droplet::DragData data{true, pdfs};
    const auto start = Clock::now();
    form.workflow().FormOLEDragOver(data, droplet::kDropEffectCopy);
    form.workflow().FormOLEDragDrop(data);
    do {
      QApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    } while (form.workflow().Busy());
    whole.push_back(Milliseconds(Clock::now() - start));
    converted = converted && std::filesystem::exists(lastResult);
    if (pinger.longest() > longest) {
      longest = pinger.longest();
      longestAt = pinger.longestAt();
    }
    pings += pinger.pings();
    unanswered += pinger.unanswered();
  }

  if (batch) {
    std::printf("documents %d of 2 pages, rounds %d, %s\n", count, rounds,
                converted ? "converted" : "NOT converted");
    std::printf("Orvane batch:              %10.2f ms (median)\n", Median(whole));
  } else {
    std::printf("pages %d, rounds %d, %s\n", count, rounds,
                converted ? "converted" : "NOT converted");
    std::printf("pdftohtml -c alone:        %10.2f ms (median)\n", Median(alone));
    std::printf("Orvane whole run:          %10.2f ms (median)\n", Median(whole));
  }
  std::printf(
      "longest unanswered ping:   %10d ms (%d pings, %d without an answer; sent %d ms "
      "after its drop)\n",
      longest, pings, unanswered, longestAt);
  std::printf("idle window's longest ping: %9d ms (5 s before the rounds)\n", idle);
  return converted && unanswered == 0 ? 0 : 1;
}
