// SPDX-License-Identifier: GPL-3.0-or-later
#include "BenchSupport.h"

#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace vexa::bench {

void WaitingNotifier::RecordsReady() {
  {
    std::lock_guard lock(mutex_);
    recordsReady_ = true;
  }
  wake_.notify_one();
}

void WaitingNotifier::SendFailed() {
  Fail();
}
void WaitingNotifier::DeviceLost() {
  Fail();
}
void WaitingNotifier::AnswerTimerFailed() {
  Fail();
}

void WaitingNotifier::Fail() {
  failures_.fetch_add(1);
  wake_.notify_one();
}

bool WaitingNotifier::WaitForRecords(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  const bool ready = wake_.wait_for(lock, limit, [&] { return recordsReady_; });
  recordsReady_ = false;
  return ready;
}

std::unique_ptr<CAttr> MakeItem(const std::string& send, const std::string& answerTo,
                                std::int32_t repeatPeriod, std::int32_t answerDelay) {
  auto item = std::make_unique<CAttr>();
  item->sendKind = item->receiveKind = kKindText;
  item->sendText = send;
  item->receiveText = answerTo;
  item->BuildSendBytes("", false);
  item->BuildReceiveBytes(false);
  item->repeatPeriod = repeatPeriod;
  item->answerDelay = answerDelay;
  return item;
}

ConnectedSession::ConnectedSession(std::unique_ptr<CAttr> item) {
  if (item) tree.AppendItem(nullptr, std::move(item));
  settings.portName = device.PortPath();
  settings.baudRate = 3000000;
  settings.receiveTerminator = "\r\n";
  settings.receiveTimeout = 100;
  connected = device.IsValid() && session.Open(settings) == OpenResult::kOk;
  if (connected) session.StartSending();
}

void PrintPercentiles(const std::string& name, std::vector<double> samples, const char* unit) {
  if (samples.empty()) {
    std::printf("%s: no samples\n", name.c_str());
    return;
  }
  std::sort(samples.begin(), samples.end());
  const auto at = [&](double fraction) {
    return samples[std::min(samples.size() - 1,
                            static_cast<std::size_t>(fraction * samples.size()))];
  };
  std::printf("%s: p50 %.3f, p99 %.3f, max %.3f %s (%zu samples)\n", name.c_str(), at(0.50),
              at(0.99), samples.back(), unit, samples.size());
}

std::chrono::microseconds ProcessCpuTime() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return std::chrono::seconds(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         std::chrono::microseconds(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

std::chrono::nanoseconds ThreadCpuTime() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

std::string GenerateCommandFile(int items) {
  std::string file = "Vexa0109,9600,1,\x82\xC8\x82\xB5,CR+LF,CR+LF,0,0,10,\";\",COM1,0,100,8\n";
  for (int i = 0; i < items; ++i) {
    if (i % 10 == 0) file += "2,0,group " + std::to_string(i / 10) + "\n";
    if (i % 7 == 0) file += "0," + std::to_string(1 + 256 * 250) + ",ring;RING\n";
    const int period = i % 5 == 0 ? 1000 : 0;
    file += "3," + std::to_string(1 + 256 * period) + ",command " + std::to_string(i) +
            ";AT+TEST=" + std::to_string(i) + "\n";
  }
  return file;
}

std::filesystem::path PrepareScratchFolder(const std::string& name, int items) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("vexa-bench-" + name + "-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  ::setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
  std::ofstream(dir / "large.vxp", std::ios::binary) << GenerateCommandFile(items);
  return dir;
}

std::string GenerateCommandFileOfSize(std::size_t bytes) {
  constexpr int kSample = 10000;
  // Numbers grow longer further on, so the sample's rate gives more than enough lines.
  const std::size_t sampleBytes = GenerateCommandFile(kSample).size();
  std::string file = GenerateCommandFile(static_cast<int>(bytes * kSample / sampleBytes) + kSample);
  if (file.size() > bytes) file.resize(file.rfind('\n', bytes - 1) + 1);
  return file;
}

namespace {

std::size_t StatusKilobytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string prefix = std::string(field) + ":";
  while (std::getline(status, line)) {
    if (line.rfind(prefix, 0) == 0) return std::stoul(line.substr(prefix.size()));
  }
  return 0;
}

}  // namespace

std::size_t PeakResidentBytes() {
  return StatusKilobytes("VmHWM") * 1024;
}

std::size_t ResidentBytes() {
  return StatusKilobytes("VmRSS") * 1024;
}

void ResetPeakResident() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

}  // namespace vexa::bench
