// Measures one whole conversion run of Tessik (drag-over and drop of a 100-page PDF through to
// the result in the output folder, every box answered at once) against pdftotext started on
// the same file without the workflow, alternating the two, and prints the medians and their
// ratio. The same command line through the runner alone shows what the shell costs.
//
// With --batches: batches dropped on Tessik and on Orvane (40 small PDFs, 8 PDFs of 100 pages),
// from the drop to the report, converted side by side as the machine allows and limited to one
// document at a time, each against a shell loop of the converter alone over the same files.
//
//   workflow_bench [repetitions] [pages]
//   workflow_bench --batches [repetitions]

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/message_box.h"
#include "files/document_opener.h"
#include "front_end/main_window.h"
#include "runner/child_process.h"
#include "support/pdf_writer.h"
#include "support/temp_folder.h"

extern char** environ;

namespace {

using droplet::testing::PathFromUtf8;
using Clock = std::chrono::steady_clock;

class AnsweringDesktop : public droplet::DesktopServices {
 public:
  int ShowBox(const std::string&, unsigned style, const droplet::BoxTitle&,
              droplet::BoxPlacement) override {
    return (style & droplet::kMbButtonsMask) == droplet::kMbYesNo ? droplet::kIdYes
                                                                  : droplet::kIdOk;
  }
  // The bench's own thread is the window's: posted calls wait in a queue until it serves them.
  void PostToWindowThread(std::function<void()> call) override {
    {
      std::lock_guard lock(mutex_);
      posted_.push_back(std::move(call));
    }
    arrived_.notify_one();
  }
  // Serves the posted calls until `done` holds.
  void ServeUntil(const std::function<bool()>& done) {
    while (!done()) {
      std::function<void()> call;
      {
        std::unique_lock lock(mutex_);
        arrived_.wait(lock, [this] { return !posted_.empty(); });
        call = std::move(posted_.front());
        posted_.pop_front();
      }
      call();
    }
  }
  // The hourglass marks the converter's run inside the whole run.
  void SetBusyPointer(bool busy) override { (busy ? busyOn : busyOff) = Clock::now(); }
  [[noreturn]] void EndProgram() override { throw std::runtime_error("the program ended"); }

  Clock::time_point busyOn;
  Clock::time_point busyOff;

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<std::function<void()>> posted_;
};

struct Phases {
  double before = 0;     // drag-over, drop, copy of the PDF, confirmation
  double converter = 0;  // the runner: shell, converter, pipe
  double after = 0;      // results into the output folder, clean-up, messages
};

class IdleOpener : public droplet::DocumentOpener {
 public:
  bool Open(const std::string&, const std::string&, const std::string&) override { return true; }
};

std::vector<droplet::testing::PdfPage> Pages(int count) {
  std::vector<droplet::testing::PdfPage> pages;
  for (int page = 1; page <= count; ++page) {
    droplet::testing::PdfPage content;
    for (int line = 1; line <= 28; ++line) {
      content.lines.push_back("Pagina " + std::to_string(page) + ", riga " + std::to_string(line) +
                              ": qualità, città, perché è così.");
    }
    pages.push_back(content);
  }
  return pages;
}

// Processor time (user and system) spent so far by this process and by its waited-for
// children, in milliseconds: far less sensitive than the clock to other loads on the machine.
double ProcessorMilliseconds() {
  double total = 0;
  for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
    rusage usage{};
    ::getrusage(who, &usage);
    for (const timeval& time : {usage.ru_utime, usage.ru_stime}) {
      total += static_cast<double>(time.tv_sec) * 1e3 + static_cast<double>(time.tv_usec) / 1e3;
    }
  }
  return total;
}

double Milliseconds(Clock::duration elapsed) {
  return std::chrono::duration<double, std::milli>(elapsed).count();
}

// pdftotext FILE, started directly (no shell, no pipe), waited for.
double RunConverterAlone(const std::string& pdf) {
  char program[] = "pdftotext";
  std::string argument = pdf;
  char* argv[] = {program, argument.data(), nullptr};
  const auto start = Clock::now();
  pid_t pid = 0;
  if (::posix_spawnp(&pid, "pdftotext", nullptr, nullptr, argv, environ) != 0) {
    throw std::runtime_error("pdftotext cannot be started");
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  const auto elapsed = Clock::now() - start;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("pdftotext failed");
  return Milliseconds(elapsed);
}

// The workflow's own command line through the runner (one pipe; the line is plain words, so
// no shell), nothing else.
double RunConverterThroughShell(const std::string& pdf) {
  const auto start = Clock::now();
  const auto result = droplet::RunWithMergedOutput(
      droplet::BuildCommandLine(droplet::TessikDeliverable(), pdf, ""), [](std::string_view) {});
  if (result.status != droplet::SpawnStatus::kStarted) throw std::runtime_error("no shell");
  return Milliseconds(Clock::now() - start);
}

Phases RunWorkflow(droplet::MainWindowWorkflow& window, AnsweringDesktop& desktop,
                   const std::string& pdf) {
  const droplet::DragData data{true, {pdf}};
  const auto start = Clock::now();
  window.FormOLEDragOver(data, droplet::kDropEffectCopy);
  window.FormOLEDragDrop(data);
  desktop.ServeUntil([&] { return !window.Busy(); });
  const auto end = Clock::now();
  return {Milliseconds(desktop.busyOn - start), Milliseconds(desktop.busyOff - desktop.busyOn),
          Milliseconds(end - desktop.busyOff)};
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The converter alone, as the deliverable runs it, over `pdfs` one after another by a shell
// loop in their folder; its output goes where the workflow's runner would read it, nowhere.
double RunConverterLoop(const droplet::Deliverable& deliverable,
                        const std::vector<std::string>& pdfs) {
  std::vector<std::string> arguments = {
      "/bin/sh", "-c", "for f do " + deliverable.converterCommand + " \"$f\" >/dev/null; done",
      "sh"};
  arguments.insert(arguments.end(), pdfs.begin(), pdfs.end());
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  const auto start = Clock::now();
  pid_t pid = 0;
  if (::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv.data(), environ) != 0) {
    throw std::runtime_error("the shell cannot be started");
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return Milliseconds(Clock::now() - start);
}

// The whole batch: drag-over and drop of `pdfs`, the question, every document, the report.
double RunBatch(droplet::MainWindowWorkflow& window, AnsweringDesktop& desktop,
                const std::vector<std::string>& pdfs) {
  const droplet::DragData data{true, pdfs};
  const auto start = Clock::now();
  window.FormOLEDragOver(data, droplet::kDropEffectCopy);
  window.FormOLEDragDrop(data);
  desktop.ServeUntil([&] { return !window.Busy(); });
  return Milliseconds(Clock::now() - start);
}

void BatchBench(int repetitions) {
  const struct {
    const droplet::Deliverable* deliverable;
    int documents;
    int pages;
  } cases[] = {{&droplet::TessikDeliverable(), 40, 2},
               {&droplet::TessikDeliverable(), 8, 100},
               {&droplet::OrvaneDeliverable(), 40, 2},
               {&droplet::OrvaneDeliverable(), 8, 100}};
  for (const auto& batch : cases) {
    const droplet::Deliverable& deliverable = *batch.deliverable;
    droplet::testing::TempFolder documents;
    std::vector<std::string> pdfs;
    for (int i = 1; i <= batch.documents; ++i) {
      pdfs.push_back(documents / ("documento " + std::to_string(i) + ".pdf"));
      droplet::testing::WritePdf(PathFromUtf8(pdfs.back()), Pages(batch.pages));
    }
    // Wall-clock times, and the processor time of this process and its children beside them:
    // far less sensitive than the clock to other loads on the machine.
    struct Samples {
      std::vector<double> wall;
      std::vector<double> cpu;
      void Time(const std::function<double()>& run) {
        const double before = ProcessorMilliseconds();
        wall.push_back(run());
        cpu.push_back(ProcessorMilliseconds() - before);
      }
    } loop, sideBySide, oneAtATime;
    for (int round = 0; round < repetitions; ++round) {
      {
        droplet::testing::TempFolder alone;
        std::vector<std::string> copies;
        for (const std::string& pdf : pdfs) {
          copies.push_back(alone / droplet::testing::PathFromUtf8(pdf).filename().string());
          std::filesystem::copy_file(PathFromUtf8(pdf), PathFromUtf8(copies.back()));
        }
        loop.Time([&] { return RunConverterLoop(deliverable, copies); });
      }
      for (const size_t parallel : {size_t{0}, size_t{1}}) {
        droplet::testing::TempFolder program;
        AnsweringDesktop desktop;
        IdleOpener opener;
        droplet::MainWindowWorkflow window(deliverable, desktop, opener, program.str());
        if (parallel != 0) window.LimitParallelRuns(parallel);
        (parallel == 0 ? sideBySide : oneAtATime).Time([&] {
          return RunBatch(window, desktop, pdfs);
        });
        const auto converted =
            std::distance(std::filesystem::directory_iterator(PathFromUtf8(program / "output")),
                          std::filesystem::directory_iterator());
        if (converted < batch.documents) throw std::runtime_error("a batch left out documents");
      }
    }
    const std::string name = deliverable.shortName + " " + std::to_string(batch.documents) + " x " +
                             std::to_string(batch.pages) + " pages, ";
    for (const auto& [what, samples] :
         {std::pair{"converter loop:", &loop}, std::pair{"side by side:", &sideBySide},
          std::pair{"one at a time:", &oneAtATime}}) {
      std::printf("%-36s %10.2f ms (median of %d; processor %.2f ms)\n", (name + what).c_str(),
                  Median(samples->wall), repetitions, Median(samples->cpu));
    }
    std::fflush(stdout);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--batches") {
    try {
      BatchBench(argc > 2 ? std::max(1, std::atoi(argv[2])) : 3);
    } catch (const std::exception& failure) {
      std::fprintf(stderr, "workflow_bench: %s\n", failure.what());
      return 1;
    }
    return 0;
  }
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
  const int pageCount = argc > 2 ? std::max(1, std::atoi(argv[2])) : 100;
  try {
    droplet::testing::TempFolder program;
    droplet::testing::TempFolder documents;
    const std::string pdf = documents / "relazione.pdf";
    droplet::testing::WritePdf(PathFromUtf8(pdf), Pages(pageCount));
    const auto alone = PathFromUtf8(documents / "relazione.txt");
    const auto result = PathFromUtf8(program / "output") / "relazione.txt";

    AnsweringDesktop desktop;
    IdleOpener opener;
    droplet::MainWindowWorkflow window(droplet::TessikDeliverable(), desktop, opener,
                                       program.str());
    // One untimed round of each warms the caches.
    RunConverterAlone(pdf);
    RunWorkflow(window, desktop, pdf);

    std::vector<double> converter;
    std::vector<double> workflow;
    std::vector<double> pairRatios;  // each run against the converter run just before it
    std::vector<double> shell;
    std::vector<double> shellCpu;
    std::vector<double> converterCpu;
    std::vector<double> workflowCpu;
    std::vector<double> before;
    std::vector<double> runner;
    std::vector<double> after;
    for (int i = 0; i < repetitions; ++i) {
      std::filesystem::remove(alone);
      std::filesystem::remove(result);
      double cpu = ProcessorMilliseconds();
      converter.push_back(RunConverterAlone(pdf));
      converterCpu.push_back(ProcessorMilliseconds() - cpu);
      cpu = ProcessorMilliseconds();
      shell.push_back(RunConverterThroughShell(pdf));
      shellCpu.push_back(ProcessorMilliseconds() - cpu);
      cpu = ProcessorMilliseconds();
      const Phases phases = RunWorkflow(window, desktop, pdf);
      workflow.push_back(phases.before + phases.converter + phases.after);
      workflowCpu.push_back(ProcessorMilliseconds() - cpu);
      before.push_back(phases.before);
      runner.push_back(phases.converter);
      after.push_back(phases.after);
      pairRatios.push_back(workflow.back() / converter.back());
      if (!std::filesystem::exists(alone) || !std::filesystem::exists(result)) {
        throw std::runtime_error("a run left no result");
      }
    }
    const double base = Median(converter);
    const double whole = Median(workflow);
    std::printf("pages %d, repetitions %d, PDF %ju bytes, text %ju bytes\n", pageCount, repetitions,
                static_cast<std::uintmax_t>(std::filesystem::file_size(PathFromUtf8(pdf))),
                static_cast<std::uintmax_t>(std::filesystem::file_size(result)));
    std::printf("pdftotext alone:     median %8.2f ms (min %.2f, max %.2f)\n", base,
                *std::min_element(converter.begin(), converter.end()),
                *std::max_element(converter.begin(), converter.end()));
    std::printf("Tessik whole run:    median %8.2f ms (min %.2f, max %.2f)\n", whole,
                *std::min_element(workflow.begin(), workflow.end()),
                *std::max_element(workflow.begin(), workflow.end()));
    std::printf(
        "  phases (medians):  before the converter %.2f ms, runner %.2f ms, after %.2f ms\n",
        Median(before), Median(runner), Median(after));
    std::printf("pdftotext via the runner: median %8.2f ms (the runner alone, same command line)\n",
                Median(shell));
    std::printf(
        "processor time:      converter %.2f ms, via the runner %.2f ms, whole run %.2f ms\n",
        Median(converterCpu), Median(shellCpu), Median(workflowCpu));
    std::printf("processor ratios:    whole run/converter %.3f, whole run/via the runner %.3f\n",
                Median(workflowCpu) / Median(converterCpu), Median(workflowCpu) / Median(shellCpu));
    std::printf("ratio of the medians: %.3f, median of paired ratios: %.3f (goal <= 1.05)\n",
                whole / base, Median(pairRatios));
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "workflow_bench: %s\n", failure.what());
    return 1;
  }
  return 0;
}
