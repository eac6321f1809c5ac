// The check of the rows' files, as the browser runs it after the list is shown (on a thread of
// its own): each row's verdict and what "Stato", "Versione file" and "Produttore" say of it.
// A file many classes share is read once.
#pragma once

#include <cstddef>
#include <map>
#include <string>

#include "browser/module_catalogue.h"
#include "browser/registered_file.h"

namespace corvalinde {

class FileChecks {
 public:
  explicit FileChecks(FileSearch search) : files_(std::move(search)) {}
  ModuleCatalogue::FileFacts Check(std::size_t row, const ClassServers& servers);

 private:
  RegisteredFiles files_;
  std::map<std::wstring, ModuleCatalogue::FileFacts> read_;  // by verdict
};

}  // namespace corvalinde
