// The check of the rows' files, as the browser runs it after the list is shown (on a thread of
// its own): each row's verdict and what "Stato", "Versione file" and "Produttore" say of it.
// A file many classes share is read once.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "browser/module_catalogue.h"
#include "browser/registered_file.h"

namespace corvalinde {

// Lets the window keep the checks out of its way while it answers the user: the checking
// thread waits between two files for as long as any hold lasts.
class ChecksGate {
 public:
  void Hold();
  void Release();
  void WaitWhileHeld();

 private:
  std::mutex guard_;
  std::condition_variable released_;
  int holds_ = 0;
};

// A hold for the life of the object, which keeps the gate alive: the window it was taken for
// may be gone by the time it ends.
class ChecksHeld {
 public:
  explicit ChecksHeld(std::shared_ptr<ChecksGate> gate) : gate_(std::move(gate)) { gate_->Hold(); }
  ~ChecksHeld() { gate_->Release(); }
  ChecksHeld(const ChecksHeld&) = delete;
  ChecksHeld& operator=(const ChecksHeld&) = delete;

 private:
  std::shared_ptr<ChecksGate> gate_;
};

class FileChecks {
 public:
  explicit FileChecks(FileSearch search) : files_(std::move(search)) {}
  ModuleCatalogue::FileFacts Check(std::size_t row, const ClassServers& servers);

 private:
  RegisteredFiles files_;
  std::map<std::wstring, ModuleCatalogue::FileFacts> read_;  // by verdict
};

}  // namespace corvalinde
